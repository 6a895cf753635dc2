// Start-up, layout and shut-down of the main window.
#include "app/FVelmora4.h"

#include "app/ResourceStrings.h"
#include "app/ValueList.h"
#include "picker/FLinePalette.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

#include <clocale>

namespace velmora {

TVelmora4* Velmora4 = nullptr;

namespace {

constexpr int kClientWidth = 788;
constexpr int kClientHeight = 665;
constexpr int kStatusBarHeight = 22;
constexpr int kDataRows = 11;

// Interface font of the window: the family the layout was drawn for, then
// metric-compatible and common ones.
QFont WindowFont(int pixelSize, bool bold = false) {
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

const char* const kStartLabels[kDataRows] = {
    "u =", "v =", "Maj Axis =", "Min Axis =", "|H| =", "O depth =", "Sin <(H,E) =", "Gauss Curv =",
    "Discr Extr Norm Dev =", "Discr Extr Lat Dev =", "Discr Str Ppal Dirs ="};

}  // namespace

TVelmora4::TVelmora4() {
    setObjectName(QStringLiteral("Velmora4"));
    setWindowTitle(QString::fromLatin1(res::MainCaption));

    // The decimal separator of the process is "." while the window lives.
    if (const char* current = std::setlocale(LC_NUMERIC, nullptr)) savedNumericLocale = current;
    if (const std::lconv* conv = std::localeconv(); conv && conv->decimal_point && conv->decimal_point[0])
        decSeparator = conv->decimal_point[0];
    std::setlocale(LC_NUMERIC, "C");

    CreateControls();
    CreateMenus();

    // Start state.
    rctMain = {0, 0, kMainPanelSize, kMainPanelSize};
    rctEllipse = {0, 0, 224, 240};
    FillMainPanel();
    firstPt = lastPt = QPoint(200, 200);
    sc = 0;
    ellFactor = 1.0;
    EllipseBox->Canvas().brushColor = clWhite;
    EllipseBox->Canvas().brushSolid = true;
    numOfCPU = LogicalProcessorCount();
    bm = QImage(kMainPanelSize, kMainPanelSize, QImage::Format_RGB32);
    bm.fill(ColorToPixel(clWhite));
    InputStrs[0] = "vm4";
    InputStrs[1] = "Quorvel Dastimaro-Ulbenki";
    InputStrs[2] = "0";
    InputStrs[3] = std::to_string(8);
    lines.last = -1;
    coordLines.last = -1;
    InitializeLoci();

    // Engines: the formula parser, the main thread's set, one set per worker.
    // A failure here ends the program (the exception leaves the constructor).
    formulaParser = std::make_unique<TFunctionParserBytes_64>();
    coordSet = std::make_unique<TEngineSet>();
    threadSets.reserve(numOfCPU);
    for (int k = 0; k < numOfCPU; ++k) threadSets.push_back(std::make_unique<TEngineSet>());
    surface = std::make_unique<TParametrizationR2R4>(*coordSet);

    showFoliations = 3;
    PaintEllipsePanel();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    qApp->installEventFilter(this);
    Velmora4 = this;
}

TVelmora4::~TVelmora4() {
    qApp->removeEventFilter(this);
    if (Velmora4 == this) Velmora4 = nullptr;
    // Release the stores; the engines release their code blocks with them.
    for (auto& knots : loci) knots.clear();
    InitializeLines();
    surface.reset();
    threadSets.clear();
    coordSet.reset();
    formulaParser.reset();
    std::setlocale(LC_NUMERIC, savedNumericLocale.c_str());
}

QLineEdit* TVelmora4::AddEdit(const char* name, int left, int top, int width, const char* text) {
    auto* edit = new QLineEdit(QString::fromLatin1(text), client);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(left, top, width, 21);
    edit->setCursorPosition(0);
    return edit;
}

void TVelmora4::AddLabel(const char* text, int left, int top) {
    auto* label = new QLabel(QString::fromLatin1(text), client);
    label->move(left, top);
    label->adjustSize();
}

void TVelmora4::CreateControls() {
    client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
    client->setFont(WindowFont(12));
    client->setMouseTracking(true);
    client->installEventFilter(this);
    setCentralWidget(client);

    MainBox = new TPaintBox(kMainPanelSize, kMainPanelSize, clWhite, client);
    MainBox->setObjectName(QStringLiteral("MainBox"));
    MainBox->move(2, 2);
    MainBox->setCursor(Qt::CrossCursor);
    MainBox->onMouseMove = [this](QMouseEvent* e) {
        const QPoint p = e->position().toPoint();
        OnMouseMove(e->buttons(), e->modifiers(), p.x(), p.y());
    };
    MainBox->onMouseDown = [this](QMouseEvent* e) {
        const QPoint p = e->position().toPoint();
        OnMouseDown(e->button(), e->modifiers(), p.x(), p.y());
    };
    MainBox->onMouseUp = [this](QMouseEvent* e) {
        const QPoint p = e->position().toPoint();
        OnMouseUp(e->button(), e->modifiers(), p.x(), p.y());
    };

    FunctionValues1 = new TValueList(kDataRows, client);
    FunctionValues1->setObjectName(QStringLiteral("FunctionValues1"));
    FunctionValues1->setGeometry(556, 2, 225, 204);
    FunctionValues1->setFont(WindowFont(11));
    for (int i = 0; i < kDataRows; ++i) FunctionValues1->SetRow(i, QString::fromLatin1(kStartLabels[i]));

    Label4 = new QLabel(QStringLiteral("Curvature Ellipse"), client);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->move(613, 216);
    Label4->adjustSize();

    EllipseBox = new TPaintBox(224, 240, clWhite, client);
    EllipseBox->setObjectName(QStringLiteral("EllipseBox"));
    EllipseBox->move(558, 232);
    {
        QFont f;
        f.setFamilies({QStringLiteral("Terminal"), QStringLiteral("DejaVu Sans Mono"),
                       QStringLiteral("Liberation Mono")});
        f.setPixelSize(8);
        EllipseBox->Canvas().font = f;
    }
    EllipseBox->onMouseMove = [this](QMouseEvent* e) {
        const QPoint p = e->position().toPoint();
        MoveInEllipsePanel(p.x(), p.y());
    };

    EnterButton = new QPushButton(QString::fromLatin1(res::Enter), client);
    EnterButton->setObjectName(QStringLiteral("EnterButton"));
    EnterButton->setGeometry(620, 478, 100, 25);
    EnterButton->setFont(WindowFont(19, true));
    SetEnterButton(QString::fromLatin1(res::Enter), clNavy);
    connect(EnterButton, &QPushButton::clicked, this, [this] { OnEnterButton(); });

    uMinEdit = AddEdit("uMinEdit", 595, 506, 50, "0");
    AddLabel("< u <", 656, 509);
    uMaxEdit = AddEdit("uMaxEdit", 696, 506, 50, "2 pi");
    vMinEdit = AddEdit("vMinEdit", 595, 528, 50, "0");
    AddLabel("< v <", 656, 531);
    vMaxEdit = AddEdit("vMaxEdit", 696, 528, 50, "2.2");

    xEdit = AddEdit("xEdit", 50, 555, 734, "(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)");
    yEdit = AddEdit("yEdit", 50, 576, 734, "(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)");
    zEdit = AddEdit("zEdit", 50, 597, 734, "(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v)");
    wEdit = AddEdit("wEdit", 50, 618, 734, "(1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v)");
    AddLabel("x(u,v)= ", 4, 559);
    AddLabel("y(u,v)= ", 4, 580);
    AddLabel("z(u,v)= ", 4, 601);
    AddLabel("w(u,v)= ", 4, 622);

    InfoBar = new QStatusBar(this);
    InfoBar->setObjectName(QStringLiteral("InfoBar"));
    InfoBar->setFixedHeight(kStatusBarHeight);
    InfoBar->setSizeGripEnabled(false);
    InfoBar->setFont(WindowFont(12));
    // A plain label keeps the text: menu hovering would clear a status message.
    infoText = new QLabel(InfoBar);
    InfoBar->addWidget(infoText, 1);
    setStatusBar(InfoBar);
}

void TVelmora4::SetEnterButton(const QString& caption, TColor color) {
    EnterButton->setText(caption);
    QPalette pal = EnterButton->palette();
    pal.setColor(QPalette::ButtonText, ToQColor(color));
    EnterButton->setPalette(pal);
    EnterButton->repaint();
}

void TVelmora4::SetInfoText(const QString& text) { infoText->setText(text); }

QString TVelmora4::InfoText() const { return infoText->text(); }

TColor TVelmora4::CurveColor() const { return linePalette ? linePalette->curveColor : clBlack; }

void TVelmora4::FillMainPanel() {
    TCanvas& c = MainBox->Canvas();
    c.brushColor = clWhite;
    c.brushSolid = true;
    c.FillRect(rctMain);
}

bool TVelmora4::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress: {
            // The window sees every key before the focused control; the key
            // then goes on to the control.
            auto* w = qobject_cast<QWidget*>(watched);
            if (!w || w->window() != this) break;
            QWidget* target = QApplication::focusWidget();
            if (target ? watched != target : watched != this) break;
            auto* key = static_cast<QKeyEvent*>(event);
            OnKeyDownInForm(key->key(), key->modifiers(), key->isAutoRepeat());
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
