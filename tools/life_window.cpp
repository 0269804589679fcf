#include "tools/life_window.h"

#include "platform/colors.h"
#include "platform/ini_file.h"
#include "shell/language_file.h"

#include <QAction>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace ov {

namespace {

constexpr int BoardPixels = TLifeGame::BoardSize * TLifeGrid::CellSize;
constexpr int32_t AliveColor = static_cast<int32_t>(clGray);

} // namespace

TLifeGrid::TLifeGrid(QWidget* parent)
    : QWidget(parent)
{
    setObjectName("DrawGrid1");
    setFixedSize(BoardPixels, BoardPixels);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_canvas.resize(BoardPixels, BoardPixels);
    m_canvas.setBrushColor(systemColorValue(clBtnFace));
    m_canvas.fillRect(0, 0, BoardPixels, BoardPixels);
}

void TLifeGrid::PaintCell(int row, int column, bool alive)
{
    // Each cell leaves its last row and column in the background colour, so
    // that neighbouring living cells stay apart as small squares.
    const int x = column * CellSize, y = row * CellSize;
    m_canvas.setBrushColor(alive ? AliveColor : systemColorValue(clBtnFace));
    m_canvas.fillRect(x, y, x + CellSize - 1, y + CellSize - 1);
    ++PaintedCells;
    update(x, y, CellSize, CellSize);
}

void TLifeGrid::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), m_canvas.image(), event->rect());
}

void TLifeGrid::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    m_pressRow = at.y() / CellSize;
    m_pressColumn = at.x() / CellSize;
}

void TLifeGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    const int row = at.y() / CellSize, column = at.x() / CellSize;
    const bool same = row == m_pressRow && column == m_pressColumn && at.x() >= 0 && at.y() >= 0;
    m_pressRow = m_pressColumn = -1;
    if (same && OnCellClick)
        OnCellClick(row, column);
}

TFormLife::TFormLife(const IniFile& language, Rng* rng, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName("FormLife");
    setAttribute(Qt::WA_DeleteOnClose);
    if (!rng) {
        m_ownRng = std::make_unique<MtRng>();
        rng = m_ownRng.get();
    }
    m_game = std::make_unique<TLifeGame>(*rng);
    const auto text
        = [&language](const char* key) { return QString::fromStdString(windowText(language, "Life", key)); };
    m_game->StepWord = windowText(language, "Life", "Step");
    m_game->Caption = windowText(language, "Life", "Game");

    DrawGrid1 = new TLifeGrid(this);
    setCentralWidget(DrawGrid1);
    m_game->OnPaintCell
        = [this](int row, int column, bool alive) { DrawGrid1->PaintCell(row, column, alive); };
    DrawGrid1->OnCellClick = [this](int row, int column) { m_game->Toggle(row, column); };

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(200);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    QMenu* menu = menuBar()->addMenu(text("Menu"));
    menu->setObjectName("Game1");
    const auto add = [this, menu](const char* name, const QString& caption, QKeySequence shortcut,
                         void (TFormLife::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        return action;
    };
    Generate1
        = add("Generate1", text("Generate"), QKeySequence(Qt::CTRL | Qt::Key_G), &TFormLife::Generate1Click);
    Run1 = add("Run1", text("Run"), QKeySequence(Qt::CTRL | Qt::Key_R), &TFormLife::Run1Click);
    Stop1 = add("Stop1", text("Stop"), QKeySequence(Qt::CTRL | Qt::Key_S), &TFormLife::Stop1Click);
    Clear1 = add("Clear1", text("Clear"), QKeySequence(), &TFormLife::Clear1Click);
    OneStep1
        = add("OneStep1", text("OneStep"), QKeySequence(Qt::CTRL | Qt::Key_P), &TFormLife::OneStep1Click);
    ResetSteps1 = add("ResetSteps1", text("resetsteps"), QKeySequence(), &TFormLife::ResetSteps1Click);
    menu->addSeparator();
    Exit1 = add("Exit1", text("Exit"), QKeySequence(), &TFormLife::Exit1Click);
    sync();
}

TFormLife::~TFormLife() = default;

void TFormLife::sync()
{
    if (m_game->Running != Timer1->isActive()) {
        if (m_game->Running)
            Timer1->start();
        else
            Timer1->stop();
    }
    Run1->setEnabled(!m_game->Running);
    Stop1->setEnabled(m_game->Running);
    setWindowTitle(QString::fromStdString(m_game->Caption));
}

void TFormLife::Generate1Click()
{
    m_game->Generate();
    sync();
}

void TFormLife::Run1Click()
{
    m_game->Run();
    sync();
}

void TFormLife::Stop1Click()
{
    m_game->Stop();
    sync();
}

void TFormLife::Clear1Click()
{
    m_game->Clear();
    sync();
}

void TFormLife::OneStep1Click()
{
    m_game->OneStep();
    sync();
}

void TFormLife::ResetSteps1Click()
{
    m_game->ResetSteps();
    sync();
}

void TFormLife::Exit1Click()
{
    close();
}

void TFormLife::Timer1Timer()
{
    m_game->Step();
    sync();
}

} // namespace ov
