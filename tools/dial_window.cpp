#include "tools/dial_window.h"

#include "platform/ini_file.h"
#include "shell/language_file.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

namespace ov {

namespace {

// A list whose right press clears it (the log).
class LogList : public QListWidget {
public:
    using QListWidget::QListWidget;
    std::function<void()> OnRightPress;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::RightButton && OnRightPress) {
            OnRightPress();
            return;
        }
        QListWidget::mousePressEvent(event);
    }
};

constexpr int Margin = 8;
constexpr int ListWidth = 200;
constexpr int ButtonWidth = 90;
constexpr int ButtonHeight = 25;

} // namespace

std::string dialErrorText(const IniFile& language, int error)
{
    switch (error) {
    case DialError::PortDisconnected:
    case DialError::LineBusy:
    case DialError::NoAnswer:
    case DialError::NoDialTone:
    case DialError::NoCredentials:
    case DialError::NoService:
        return language.readString(
            "InetDialer", "Error_" + std::to_string(error), TDialUp::DefaultErrorText(error));
    default: {
        std::string text = language.readString("InetDialer", "Error_Other", "The device reported an error");
        return text + " (" + std::to_string(error) + ").";
    }
    }
}

TFormDialUp::TFormDialUp(DialBackend& backend, const IniFile& language, const std::string& languageName,
    const DialOptions& options, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_dialer(std::make_unique<TDialUp>(backend))
{
    setObjectName("FormDialUp");
    setAttribute(Qt::WA_DeleteOnClose);
    m_logic = std::make_unique<TDialerLogic>(*m_dialer);
    m_dialer->ErrorText = [&language](int error) { return dialErrorText(language, error); };
    m_logic->NoServiceText = dialErrorText(language, DialError::NoService);
    // Every progress event updates the window after the logic saw it.
    auto progress = m_dialer->OnAsyncEvent;
    m_dialer->OnAsyncEvent
        = [this, progress](TDialUp& sender, int state, const std::string& text, int error) {
              progress(sender, state, text, error);
              sync();
          };

    const bool english = languageName == "ENGLISH";
    const auto text = [&](const char* key, const char* builtIn) {
        return QString::fromStdString(
            english ? std::string(builtIn) : windowText(language, "InetDialer", key));
    };
    setWindowTitle(text("Caption", "Inet Dialer"));

    CheckListBox1 = new QListWidget(this);
    CheckListBox1->setObjectName("CheckListBox1");
    auto* log = new LogList(this);
    ListBox1 = log;
    ListBox1->setObjectName("ListBox1");
    ListBox1->setStyleSheet(QStringLiteral("background-color: palette(button);"));
    // Lines of one height keep appending to a long log cheap.
    ListBox1->setUniformItemSizes(true);
    log->OnRightPress = [this] { m_logic->ClearLog(); };
    m_logic->OnLogLine = [this](const std::string& line) {
        ListBox1->addItem(QString::fromStdString(line));
        // One scroll for a burst of lines.
        if (!m_scrollPending) {
            m_scrollPending = true;
            QTimer::singleShot(0, this, [this] {
                m_scrollPending = false;
                ListBox1->scrollToBottom();
            });
        }
    };
    m_logic->OnLogCleared = [this] { ListBox1->clear(); };
    // A press on an entry toggles its check.
    connect(CheckListBox1, &QListWidget::itemClicked, this, [](QListWidgetItem* item) {
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });

    const auto button = [this](const char* name, const QString& caption, void (TFormDialUp::*handler)(),
                            QWidget* parentWidget) {
        auto* b = new QPushButton(caption, parentWidget);
        b->setObjectName(name);
        b->resize(ButtonWidth, ButtonHeight);
        connect(b, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
        return b;
    };
    Button1 = button("Button1", text("Button_Call", "&Call"), &TFormDialUp::Button1Click, this);
    Button1->setDefault(true);
    Button2 = button("Button2", text("Button_HungUp", "&Hung up"), &TFormDialUp::Button2Click, this);
    Button3 = button("Button3", text("Button_Options", "O&ptions"), &TFormDialUp::Button3Click, this);
    Button4 = button("Button4", text("Button_Cancel", "C&ancel"), &TFormDialUp::Button4Click, this);
    Label1 = new QLabel(text("Label_NumberCon", "Number of connections:"), this);
    Label1->setObjectName("Label1");
    Label2 = new QLabel(QStringLiteral("0"), this);
    Label2->setObjectName("Label2");

    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    Button5 = button("Button5", QStringLiteral("&OK"), &TFormDialUp::Button5Click, Panel1);
    GroupBox1 = new QGroupBox(text("Label_CaptionOfOptions", " Redialing options "), Panel1);
    GroupBox1->setObjectName("GroupBox1");
    CheckBox1 = new QCheckBox(text("GroupBoxCaption", "Redial on &busy"), GroupBox1);
    CheckBox1->setObjectName("CheckBox1");
    Label3 = new QLabel(text("Label_CallAfterSecund", "Redial after second:"), GroupBox1);
    Label3->setObjectName("Label3");
    SpinEdit1 = new QSpinBox(GroupBox1);
    SpinEdit1->setObjectName("SpinEdit1");
    SpinEdit1->setRange(0, 3600);
    CheckBox2 = new QCheckBox(text("CheckBox_CloseOnConnect", "Close this form if co&nnected"), Panel1);
    CheckBox2->setObjectName("CheckBox2");
    CheckBox3 = new QCheckBox(text("CheckBox_CloseOnBusy", "Close this form if b&usy"), Panel1);
    CheckBox3->setObjectName("CheckBox3");
    GroupBox1->setGeometry(0, 0, 220, 80);
    CheckBox1->setGeometry(8, 20, 200, 20);
    Label3->setGeometry(8, 48, 140, 20);
    SpinEdit1->setGeometry(150, 46, 60, 22);
    CheckBox2->setGeometry(0, 88, 220, 20);
    CheckBox3->setGeometry(0, 112, 220, 20);
    Button5->move(0, 140);
    Panel1->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    m_logic->OnClose = [this] { close(); };

    CheckBox1->setChecked(options.Redial);
    CheckBox2->setChecked(options.CloseOnConnect);
    CheckBox3->setChecked(options.CloseOnBusy);
    SpinEdit1->setValue(options.RedialTime);

    m_logic->Start();
    for (const auto& row : m_logic->Rows) {
        auto* item = new QListWidgetItem(QString::fromStdString(row.name), CheckListBox1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    resize(480, 300);
    readControls();
}

TFormDialUp::~TFormDialUp()
{
    // The dialer hangs up as it goes; nothing may reach the logic afterwards.
    m_dialer->OnAsyncEvent = nullptr;
}

DialOptions TFormDialUp::Options() const
{
    return { CheckBox1->isChecked(), CheckBox2->isChecked(), CheckBox3->isChecked(), SpinEdit1->value() };
}

void TFormDialUp::readControls()
{
    for (int i = 0; i < CheckListBox1->count() && i < static_cast<int>(m_logic->Rows.size()); ++i)
        m_logic->Rows[static_cast<std::size_t>(i)].checked
            = CheckListBox1->item(i)->checkState() == Qt::Checked;
    m_logic->Selected = CheckListBox1->currentRow();
    const DialOptions options = Options();
    m_logic->Redial = options.Redial;
    m_logic->CloseOnConnect = options.CloseOnConnect;
    m_logic->CloseOnBusy = options.CloseOnBusy;
    m_logic->RedialTime = options.RedialTime;
}

void TFormDialUp::sync()
{
    if (!m_logic->Caption.empty())
        setWindowTitle(QString::fromStdString(m_logic->Caption));
    Label2->setText(QString::number(m_logic->Redials));
    if (m_logic->Selected >= 0 && m_logic->Selected < CheckListBox1->count())
        CheckListBox1->setCurrentRow(m_logic->Selected);
    if (m_logic->TimerRunning && !Timer1->isActive())
        Timer1->start();
    else if (!m_logic->TimerRunning && Timer1->isActive())
        Timer1->stop();
}

void TFormDialUp::Button1Click()
{
    readControls();
    m_logic->Call();
    sync();
}

void TFormDialUp::Button2Click()
{
    m_logic->HangUp();
    sync();
}

void TFormDialUp::Button3Click()
{
    Panel1->setVisible(!Panel1->isVisible());
}

void TFormDialUp::Button4Click()
{
    Panel1->hide();
    close();
}

void TFormDialUp::Button5Click()
{
    Panel1->hide();
    readControls();
}

void TFormDialUp::Timer1Timer()
{
    readControls();
    m_logic->Tick();
    sync();
}

void TFormDialUp::closeEvent(QCloseEvent* event)
{
    // While the options are shown a close only hides them; a close the
    // logic asks for (connected, busy) always closes.
    if (Panel1->isVisible() && !m_logic->Closed) {
        Panel1->hide();
        readControls();
        event->ignore();
        return;
    }
    m_logic->Close();
    Timer1->stop();
    if (OnClosed)
        OnClosed(Options());
    event->accept();
}

void TFormDialUp::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int bottom = height() - Margin;
    CheckListBox1->setGeometry(Margin, Margin, ListWidth, 120);
    const int buttonsLeft = width() - Margin - ButtonWidth;
    Button1->move(buttonsLeft, Margin);
    Button2->move(buttonsLeft, Margin + 30);
    Button3->move(buttonsLeft, Margin + 60);
    Button4->move(buttonsLeft, Margin + 90);
    Label1->setGeometry(Margin + ListWidth + Margin, Margin, buttonsLeft - ListWidth - 3 * Margin, 20);
    Label2->setGeometry(Margin + ListWidth + Margin, Margin + 22, 60, 20);
    const int logTop = Margin + 128;
    ListBox1->setGeometry(Margin, logTop, std::max(0, width() - 2 * Margin), std::max(0, bottom - logTop));
    Panel1->setGeometry(Margin + ListWidth + Margin, Margin + 44, 230, std::max(0, bottom - Margin - 44));
    ListBox1->scrollToBottom();
}

} // namespace ov
