#include "tools/tetris_window.h"

#include "platform/colors.h"
#include "platform/dialogs.h"
#include "platform/ini_file.h"
#include "shell/language_file.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace ov {

namespace {

constexpr int ButtonLeft = TTetro1::FrameLeft + TTetro1::FrameWidth + 8;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 25;

} // namespace

int32_t tetrisColor(int code)
{
    static const int32_t colors[]
        = { static_cast<int32_t>(clNavy), systemColorValue(clBtnFace), static_cast<int32_t>(clRed),
              static_cast<int32_t>(clGreen), static_cast<int32_t>(clBlue), static_cast<int32_t>(clFuchsia),
              static_cast<int32_t>(clAqua), static_cast<int32_t>(clYellow), static_cast<int32_t>(clWhite) };
    return code >= 0 && code <= 8 ? colors[code] : colors[0];
}

void paintTetrisCell(TCanvas& canvas, int x, int y, int size, int code)
{
    canvas.setBrushColor(tetrisColor(code));
    canvas.fillRect(x, y, x + size, y + size);
    if (code == 0)
        return;
    const int right = x + size - 1, bottom = y + size - 1;
    canvas.setPenColor(static_cast<int32_t>(clGray));
    canvas.moveTo(x, y);
    canvas.lineTo(x, bottom);
    canvas.lineTo(right + 1, bottom);
    canvas.setPenColor(static_cast<int32_t>(clWhite));
    canvas.moveTo(x, y);
    canvas.lineTo(right, y);
    canvas.lineTo(right, bottom);
}

TCanvasView::TCanvasView(int width, int height, QWidget* parent)
    : QWidget(parent)
{
    setFixedSize(width, height);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_canvas.resize(width, height);
}

void TCanvasView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), m_canvas.image(), event->rect());
}

TTetro1::TTetro1(const IniFile& language, const std::string& languageName, Rng* rng, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_language(language)
    , m_languageName(languageName)
{
    setObjectName("Tetro1");
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    if (!rng) {
        m_ownRng = std::make_unique<MtRng>();
        rng = m_ownRng.get();
    }
    m_game = std::make_unique<TTetrisGame>(*rng);

    Board = new TCanvasView(FrameWidth, FrameHeight, this);
    Board->setObjectName("Board");
    Board->move(FrameLeft, FrameTop);
    // The frame: navy inside a sunken border.
    TCanvas& frame = Board->Canvas();
    frame.setBrushColor(static_cast<int32_t>(clNavy));
    frame.fillRect(0, 0, FrameWidth, FrameHeight);
    frame.setPenColor(static_cast<int32_t>(clGray));
    frame.moveTo(0, FrameHeight - 1);
    frame.lineTo(0, 0);
    frame.lineTo(FrameWidth, 0);
    frame.setPenColor(static_cast<int32_t>(clWhite));
    frame.moveTo(FrameWidth - 1, 1);
    frame.lineTo(FrameWidth - 1, FrameHeight - 1);
    frame.lineTo(0, FrameHeight - 1);
    m_game->OnPaintCell = [this](int row, int column, uint8_t code) {
        // Cell (row, column) at x = 14c - 9, y = 14r - 8 in the window.
        const int x = CellSize * column - 9 - FrameLeft, y = CellSize * row - 8 - FrameTop;
        paintTetrisCell(Board->Canvas(), x, y, CellSize, code);
        Board->update(x, y, CellSize, CellSize);
    };
    m_game->OnGameOver = [this] {
        const std::string text = m_languageName == "ENGLISH"
            ? std::string("Ops! Game over!")
            : m_language.readString("Tetris", "GameOver", "Ops! Game over!");
        messageBox(text, windowTitle().toStdString());
    };

    const auto button = [this](const char* name, int top, void (TTetro1::*handler)()) {
        auto* b = new QPushButton(this);
        b->setObjectName(name);
        b->setGeometry(ButtonLeft, top, ButtonWidth, ButtonHeight);
        // The keys belong to the game, never to a focused button.
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
        return b;
    };
    BStart = button("BStart", 8, &TTetro1::BStartClick);
    BPause = button("BPause", 40, &TTetro1::BPauseClick);
    NextPiece = new TCanvasView(4 * PreviewCell, 2 * PreviewCell, this);
    NextPiece->setObjectName("NextPiece");
    NextPiece->move(ButtonLeft + (ButtonWidth - 4 * PreviewCell) / 2, 76);
    const auto label = [this](const char* name, int top) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        l->setGeometry(ButtonLeft, top, ButtonWidth, 16);
        return l;
    };
    LLevel = label("LLevel", 110);
    LLevelValue = label("LLevelValue", 128);
    LScore = label("LScore", 154);
    LScoreValue = label("LScoreValue", 172);
    BExit = button("BExit", FrameTop + FrameHeight - ButtonHeight, &TTetro1::BExitClick);
    setFixedSize(ButtonLeft + ButtonWidth + 8, FrameTop + FrameHeight + 2);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    BStart->setEnabled(true);
    BPause->setEnabled(false);
}

TTetro1::~TTetro1() = default;

void TTetro1::setUp()
{
    const auto text
        = [this](const char* key) { return QString::fromStdString(windowText(m_language, "Tetris", key)); };
    setWindowTitle(text("Game"));
    BStart->setText(text("Start"));
    BPause->setText(text("Pause"));
    BExit->setText(text("Exit"));
    LLevel->setText(text("Level"));
    LScore->setText(text("Score"));
    m_game->SetUp();
    m_previewType = m_previewColor = -1;
    ++SetUpCount;
    sync();
}

void TTetro1::sync()
{
    // A new interval restarts a running timer: set it only when it changed.
    if (Timer1->interval() != m_game->Interval)
        Timer1->setInterval(m_game->Interval);
    if (m_game->TimerEnabled != Timer1->isActive()) {
        if (m_game->TimerEnabled)
            Timer1->start();
        else
            Timer1->stop();
    }
    BStart->setEnabled(m_game->StartEnabled);
    BPause->setEnabled(m_game->PauseEnabled);
    LLevelValue->setText(QString::number(m_game->Level));
    LScoreValue->setText(QString::number(m_game->Score));
    paintPreview();
}

void TTetro1::paintPreview()
{
    if (m_game->NextType == m_previewType && m_game->NextColor == m_previewColor)
        return;
    m_previewType = m_game->NextType;
    m_previewColor = m_game->NextColor;
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c)
            paintTetrisCell(NextPiece->Canvas(), c * PreviewCell, r * PreviewCell, PreviewCell,
                TTetrisGame::ShapeCell(m_previewType, r, c) ? m_previewColor : 0);
    NextPiece->update();
}

void TTetro1::BStartClick()
{
    m_game->Start();
    sync();
}

void TTetro1::BPauseClick()
{
    m_game->Pause();
    sync();
}

void TTetro1::BExitClick()
{
    close();
}

void TTetro1::Timer1Timer()
{
    m_game->Tick();
    sync();
}

void TTetro1::FormKeyDown(int key)
{
    switch (key) {
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_Space:
    case Qt::Key_Down:
        m_game->Press(TTetrisGame::Key::Drop);
        break;
    case Qt::Key_Left:
        m_game->Press(TTetrisGame::Key::Left);
        break;
    case Qt::Key_Right:
        m_game->Press(TTetrisGame::Key::Right);
        break;
    case Qt::Key_Up:
        m_game->Press(TTetrisGame::Key::Rotate);
        break;
    default:
        return;
    }
    sync();
}

void TTetro1::showEvent(QShowEvent* event)
{
    if (!m_setUpDone) {
        m_setUpDone = true;
        setUp();
    }
    QWidget::showEvent(event);
}

void TTetro1::closeEvent(QCloseEvent* event)
{
    m_game->Close();
    sync();
    // Both labels show 0 after a close.
    LLevelValue->setText("0");
    event->accept();
}

void TTetro1::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Space:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
        FormKeyDown(event->key());
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace ov
