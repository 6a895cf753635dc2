// Start-up, layout and shut-down of the main window.
#include "app/MainWindow.h"

#include "app/FieldLengthGuard.h"
#include "app/ManualWindow.h"
#include "app/SurfaceWindow.h"
#include "app/ResourceStrings.h"
#include "app/ValueList.h"
#include "picker/ColourPicker.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>
#include <clocale>

namespace velmora {

namespace {

constexpr int kClientWidth = 788;
constexpr int kClientHeight = 665;
constexpr int kStatusBarHeight = 22;
constexpr int kDataRows = 11;

const char* const kStartLabels[kDataRows] = {
    "u =", "v =", "Maj Axis =", "Min Axis =", "|H| =", "O depth =", "Sin <(H,E) =", "Gauss Curv =",
    "Discr Extr Norm Dev =", "Discr Extr Lat Dev =", "Discr Str Ppal Dirs ="};

// Sets the number locale of the process to "C" (a "." in every number text)
// and returns the one it replaces.
std::string UseDotDecimalSeparator() {
    std::string saved = "C";
    if (const char* current = std::setlocale(LC_NUMERIC, nullptr)) saved = current;
    std::setlocale(LC_NUMERIC, "C");
    return saved;
}

QPoint PointOf(const QMouseEvent* e) { return e->position().toPoint(); }

}  // namespace

// The family the layout was drawn for, then metric-compatible and common ones.
QFont InterfaceFont(int pixelSize, bool bold) {
    QFont f;
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                   QStringLiteral("DejaVu Sans")});
    // Without Tahoma, font substitution would otherwise pick the system's
    // default face instead of the next family in the list.
    if (!QFontDatabase::hasFamily(QStringLiteral("Tahoma"))) f.setFamilies(f.families().mid(1));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QIcon ProgramIcon() { return QIcon(QStringLiteral(":/velmora4/velmora4.svg")); }

// A failure while creating the engines leaves the constructor with the
// exception, which ends the program.
TMainWindow::TMainWindow(int numOfCPU)
    : savedNumericLocale(UseDotDecimalSeparator()),
      session(std::max(numOfCPU, 1)),
      client(CreateClient()),
      mainPanel(client),
      ellipsePanel(client),
      dialogs_(std::make_unique<TSystemDialogs>()) {
    setObjectName(QStringLiteral("Velmora4"));
    setWindowTitle(QString::fromLatin1(res::MainCaption));
    CreateControls();
    background = std::make_unique<TBackgroundCommand>(session, mainPanel, *watch,
                                                      [this](const QString& text) { SetInfoText(text); });
    specialPoints_ = std::make_unique<TSpecialPointsCommand>(
        session, mainPanel, *watch, [this](const QString& text) { SetInfoText(text); },
        [this](bool shown) { ui.ShowSpecialPoints1->setChecked(shown); });
    locus_ = std::make_unique<TLocusCommand>(session, mainPanel, *watch,
                                             [this](const QString& text) { SetInfoText(text); });
    print_ = std::make_unique<TPrintController>(*this, session, *watch, *background,
                                                [this](const QString& text) { SetInfoText(text); });
    export_ = std::make_unique<TExportController>(*this, session, *watch, *background, settings_,
                                                  [this](const QString& text) { SetInfoText(text); });
    CreateMenus();
    RebuildRecentMenu();
    ConnectPanels();
    setWindowIcon(ProgramIcon());
    ellipsePanel.PaintEllipsePanel(panelsFrozen_);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    RestoreDesktopSettings();
    qApp->installEventFilter(this);
}

TMainWindow::~TMainWindow() {
    StopAllWork();
    print_->Cancel();
    qApp->removeEventFilter(this);
    std::setlocale(LC_NUMERIC, savedNumericLocale.c_str());
}

void TMainWindow::StopAllWork() {
    // A line trace runs further down the stack (this is reached from its
    // message processing): it sees the request within 30 steps and returns.
    if (busy()) watch->RequestStop();
    locus_->StopAndWait();
    background->StopAndWait();
    specialPoints_->StopAndWait();
}

QWidget* TMainWindow::CreateClient() {
    auto* w = new QWidget(this);
    w->setObjectName(QStringLiteral("client"));
    w->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
    w->setFont(InterfaceFont(12));
    w->setMouseTracking(true);
    w->installEventFilter(this);
    setCentralWidget(w);
    return w;
}

QLineEdit* TMainWindow::AddEdit(const char* name, int left, int top, int width, const std::string& text) {
    auto* edit = new QLineEdit(QString::fromStdString(text), client);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(left, top, width, 21);
    edit->setCursorPosition(0);
    return edit;
}

void TMainWindow::AddLabel(const char* text, int left, int top) {
    auto* label = new QLabel(QString::fromLatin1(text), client);
    label->move(left, top);
    label->adjustSize();
}

void TMainWindow::CreateControls() {
    mainPanel.MainBox()->move(2, 2);

    ui.FunctionValues1 = new TValueList(kDataRows, client);
    ui.FunctionValues1->setObjectName(QStringLiteral("FunctionValues1"));
    ui.FunctionValues1->setGeometry(556, 2, 225, 204);
    ui.FunctionValues1->setFont(InterfaceFont(11));
    for (int i = 0; i < kDataRows; ++i) ui.FunctionValues1->SetRow(i, QString::fromLatin1(kStartLabels[i]));

    ui.Label4 = new QLabel(QStringLiteral("Curvature Ellipse"), client);
    ui.Label4->setObjectName(QStringLiteral("Label4"));
    ui.Label4->move(613, 216);
    ui.Label4->adjustSize();

    ellipsePanel.EllipseBox()->move(558, 232);

    ui.EnterButton = new QPushButton(QString::fromLatin1(res::Enter), client);
    ui.EnterButton->setObjectName(QStringLiteral("EnterButton"));
    ui.EnterButton->setGeometry(620, 478, 100, 25);
    ui.EnterButton->setFont(InterfaceFont(19, true));
    watch = std::make_unique<TWatch>(ui.EnterButton);
    connect(ui.EnterButton, &QPushButton::clicked, this, [this] { OnEnterButton(); });

    // The edits show the default surface of the session.
    const TInputTexts& texts = DefaultSurfaceTexts();
    ui.uMinEdit = AddEdit("uMinEdit", 595, 506, 50, texts[uMinField]);
    AddLabel("< u <", 656, 509);
    ui.uMaxEdit = AddEdit("uMaxEdit", 696, 506, 50, texts[uMaxField]);
    ui.vMinEdit = AddEdit("vMinEdit", 595, 528, 50, texts[vMinField]);
    AddLabel("< v <", 656, 531);
    ui.vMaxEdit = AddEdit("vMaxEdit", 696, 528, 50, texts[vMaxField]);

    ui.xEdit = AddEdit("xEdit", 50, 555, 734, texts[xField]);
    ui.yEdit = AddEdit("yEdit", 50, 576, 734, texts[yField]);
    ui.zEdit = AddEdit("zEdit", 50, 597, 734, texts[zField]);
    ui.wEdit = AddEdit("wEdit", 50, 618, 734, texts[wField]);
    // Return in any field presses "Enter".
    for (QLineEdit* edit : ui.InputEdits())
        connect(edit, &QLineEdit::returnPressed, ui.EnterButton, &QPushButton::click);
    fieldGuard_ = new TFieldLengthGuard(ui.InputEdits(), [this](const QString& text) { SetInfoText(text); }, this);
    appliedTexts_ = texts;
    AddLabel("x(u,v)= ", 4, 559);
    AddLabel("y(u,v)= ", 4, 580);
    AddLabel("z(u,v)= ", 4, 601);
    AddLabel("w(u,v)= ", 4, 622);

    ui.InfoBar = new QStatusBar(this);
    ui.InfoBar->setObjectName(QStringLiteral("InfoBar"));
    ui.InfoBar->setFixedHeight(kStatusBarHeight);
    ui.InfoBar->setSizeGripEnabled(false);
    ui.InfoBar->setFont(InterfaceFont(12));
    // A plain label keeps the text: menu hovering would clear a status message.
    infoText = new QLabel(ui.InfoBar);
    ui.InfoBar->addWidget(infoText, 1);
    setStatusBar(ui.InfoBar);
}

void TMainWindow::ConnectPanels() {
    TPaintBox* box = mainPanel.MainBox();
    box->onMouseMove = [this](QMouseEvent* e) {
        const QPoint p = PointOf(e);
        OnMouseMove(e->buttons(), e->modifiers(), p.x(), p.y());
    };
    box->onMouseDown = [this](QMouseEvent* e) {
        const QPoint p = PointOf(e);
        OnMouseDown(e->button(), e->modifiers(), p.x(), p.y());
    };
    box->onMouseUp = [this](QMouseEvent* e) {
        const QPoint p = PointOf(e);
        OnMouseUp(e->button(), e->modifiers(), p.x(), p.y());
    };
    ellipsePanel.EllipseBox()->onMouseMove = [this](QMouseEvent* e) {
        const QPoint p = PointOf(e);
        MoveInEllipsePanel(p.x(), p.y());
    };
}

void TMainWindow::SetInfoText(const QString& text) { infoText->setText(text); }

QString TMainWindow::InfoText() const { return infoText->text(); }

TColor TMainWindow::CurveColor() const { return linePalette ? linePalette->curveColor : clBlack; }

bool TMainWindow::OnCtrlTap(QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride: {
            // A shortcut (Ctrl+O ...) reaches the window as a ShortcutOverride only.
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->isAutoRepeat()) return false;
            ctrlAlone_ = key->key() == Qt::Key_Control;
            return false;
        }
        case QEvent::MouseButtonPress: ctrlAlone_ = false; return false;
        case QEvent::KeyRelease: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->isAutoRepeat() || key->key() != Qt::Key_Control || !ctrlAlone_) return false;
            ctrlAlone_ = false;
            if (busy() || !session.alreadyParsed()) return false;
            panelsFrozen_ = !panelsFrozen_;
            return true;
        }
        default: return false;
    }
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease ||
        event->type() == QEvent::ShortcutOverride || event->type() == QEvent::MouseButtonPress) {
        // Keys and buttons of this window only, each seen once (at the
        // focused control, or the window itself).
        auto* w = qobject_cast<QWidget*>(watched);
        const bool mine = w && w->window() == this;
        QWidget* target = QApplication::focusWidget();
        const bool once = event->type() == QEvent::MouseButtonPress || (target ? watched == target : watched == this);
        if (mine && once) OnCtrlTap(event);
    }
    switch (event->type()) {
        case QEvent::KeyPress: {
            // The window sees every key before the focused control; the key
            // then goes on to the control.
            auto* w = qobject_cast<QWidget*>(watched);
            if (!w || w->window() != this) break;
            QWidget* target = QApplication::focusWidget();
            if (target ? watched != target : watched != this) break;
            auto* key = static_cast<QKeyEvent*>(event);
            const bool command = OnKeyDownInForm(key->key(), key->modifiers(), key->isAutoRepeat());
            // Up and Down scale the focal conic; passed on, they would also
            // move the focus from the button into a field and select its text.
            if (command && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) return true;
            break;
        }
        case QEvent::MouseMove:
            if (watched == client) OnMouseMoveInForm();
            break;
        default: break;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace velmora
