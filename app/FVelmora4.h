// TVelmora4: the main window. It holds the working state of the program: the
// four coordinate formulas and the bounds of the parameter rectangle U, the
// compiled engines built from them (one set for this thread, one per worker),
// the map of U onto the square main panel, the flags that keep commands from
// overlapping and the stored drawings; it shows the main panel (U), the data
// panel (the invariants at the pointer) and the ellipse panel (the curvature
// ellipse in the normal plane).
//
// The implementation is split by responsibility:
//   FVelmora4.cpp           start-up, layout, shut-down
//   FVelmora4Menus.cpp      menus and their enabled/checked states
//   FVelmora4Input.cpp      reading and compiling the input, watch mode
//   FVelmora4MainPanel.cpp  mouse and keys over the main panel, cross, repaint
//   FVelmora4Stores.cpp     stored loci and curves and their drawing
//   FVelmora4Ellipse.cpp    the ellipse panel
#pragma once

#include "geometry/DomainMap.h"
#include "geometry/EngineSet.h"
#include "geometry/FParametrizationR2R4.h"
#include "picker/Canvas.h"
#include "picker/PaintBox.h"
#include "platform/VelmoraTypes.h"

#include <QImage>
#include <QMainWindow>
#include <QPoint>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStatusBar;

namespace velmora {

class TLinePalette;
class TValueList;

// ---- stored drawings ----------------------------------------------------------

// One knot of a locus polyline: key 1 lifts the pen and starts a new piece.
struct wireKnot {
    uint8_t key = 0;
    Vector2 pos{0, 0};
};
using wireKnots = std::vector<wireKnot>;
struct wireData {
    std::string text;
    int last = -1;  // index of the last stored knot
};

// A traced curve in parameter space, drawn in one colour.
struct Curve {
    TColor c = 0;
    int last = -1;  // index of the last stored point
    std::vector<Vector2> pts;
};
struct CurvesArray {
    int last = -1;  // index of the last curve
    std::vector<Curve> cc;
};
struct PtArray {
    int last = -1;
    std::vector<Vector2> pts;
};

// A segment of the direction cross, in panel pixels.
struct TCrossSegment {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

inline constexpr int kLociCount = 7;

class TVelmora4 : public QMainWindow {
public:
    TVelmora4();  // OnCreateForm
    ~TVelmora4() override;  // OnDestroyForm

    // The picker whose curveColor colours the cross and new curves.
    void SetLinePalette(TLinePalette* palette) { linePalette = palette; }
    TColor CurveColor() const;

    // ---- input ------------------------------------------------------------------
    bool ReadData();
    void OnEnterButton();
    void BeginWatch();
    void EndWatch();
    void ManageMenus();

    // ---- main panel -------------------------------------------------------------
    Vector2Int FromR2toWindow(const Vector2& param) const { return map.FromR2toWindow(param); }
    Vector2 FromWindowToR2(int x, int y) const { return map.FromWindowToR2(x, y); }
    bool InRange(double& depth, const Vector2& p) const { return map.InRange(depth, p); }
    void OnMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int X, int Y);
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int X, int Y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int X, int Y);
    void DrawOrthogonalVector(QPoint first, QPoint last, const Vector2& param);
    void DoNoEvent(int X, int Y);
    void ShowData(const Vector2& param, double halfMajorAxis, double halfMinorAxis, double lengthH, double depth,
                  double alpha, double KGAuss, double discrNormDev, double discrLatDev, double discrStrPpal);
    void DrawCross();
    void OnMouseMoveInForm();
    // Returns true when the key was a command of the window.
    bool OnKeyDownInForm(int key, Qt::KeyboardModifiers shift, bool autoRepeat);
    void OnPaint();

    // ---- stored loci and curves ---------------------------------------------------
    void InitializeLoci();
    void InitializeLines();
    bool EraseLastLine();
    void DrawLocus(TCanvas& can, const TRect& r, bool toPrint, int locusType);
    void RedrawLoci();
    void DrawLines(TCanvas& can, const TRect& r);
    void DrawCoordinateLines(TCanvas& can, const Vector2& param);
    void RedrawLines();

    // ---- ellipse panel ----------------------------------------------------------
    void ComputeEllipse();
    void DrawEllipse();
    void DrawFocalLocus();
    void MoveInEllipsePanel(int X, int Y);
    void PaintEllipsePanel();

    // ---- menu commands ----------------------------------------------------------
    void OnLineItem(int tag);
    void OnShowFoliations(int tag);
    void OnViewPalette();
    void OnExit();

    void SetEnterButton(const QString& caption, TColor color);

    // ---- status bar ---------------------------------------------------------------
    void SetInfoText(const QString& text);
    QString InfoText() const;

    // ---- state --------------------------------------------------------------------
    std::array<std::string, 12> InputStrs;
    QString Filename;
    char decSeparator = '.';

    TDomainMap map;  // min2D ... qy
    TRect rctMain{0, 0, kMainPanelSize, kMainPanelSize};
    TRect rctEllipse{0, 0, 224, 240};

    bool busy = false;
    bool alreadyParsed = false;
    bool dirty = false;
    bool stop = false;
    bool lockPtData = false;
    bool crossDrawn = false;
    bool drawOrthonLine = false;
    bool PrintEquations = true, PrintSubText = true, PrintBackground = false, printingBackground = false;

    int linesOption = 0;
    int curvesParts = 0;
    int lociOption = 3;
    int backgroundType = -1;
    uint8_t showFoliations = 3;
    double ellFactor = 1.0;
    double sc = 0;

    int numOfCPU = 1;
    int thrNumber = 0;
    QImage bm;  // background picture of the main panel, 548 x 548, RGB32

    CurvesArray lines;
    PtArray coordLines;
    std::array<wireKnots, kLociCount> loci;
    std::array<wireData, kLociCount> lociData;

    QPoint firstPt{200, 200}, lastPt{200, 200};
    std::array<TCrossSegment, 5> cross{};
    // The cross as it is on the panel (segments and colour), so that removing
    // it inverts exactly the pixels that drawing it inverted.
    struct {
        TColor color = 0;
        int count = 0;
        std::array<TCrossSegment, 5> segments{};
    } drawnCross;

    // Ellipse panel.
    Vector4 e1{}, e2{};
    double b1 = 0, c1 = 0, b2 = 0, c2 = 0, h = 0;
    double h0 = 0, v0 = 0, centerX = 0, centerY = 0, originX = 0, originY = 0;
    int margin = 0;
    bool ellipseBasis = false;  // the last ComputeEllipse found a basis of the normal plane

    // Print texts.
    std::string prTitle, prSubText;
    int prResolution = 1200;

    // ---- engines ------------------------------------------------------------------
    std::unique_ptr<TFunctionParserBytes_64> formulaParser;
    std::unique_ptr<TEngineSet> coordSet;  // coordEvaluators = sds, coordDerivs = spds
    std::vector<std::unique_ptr<TEngineSet>> threadSets;  // threadEvaluators[k], threadDerivs[k]
    std::unique_ptr<TParametrizationR2R4> surface;
    FourEvaluators& coordEvaluators() { return coordSet->sds; }
    FourFPD& coordDerivs() { return coordSet->spds; }

    // ---- controls -----------------------------------------------------------------
    TPaintBox* MainBox = nullptr;
    TValueList* FunctionValues1 = nullptr;
    QLabel* Label4 = nullptr;
    TPaintBox* EllipseBox = nullptr;
    QPushButton* EnterButton = nullptr;
    QLineEdit *uMinEdit = nullptr, *uMaxEdit = nullptr, *vMinEdit = nullptr, *vMaxEdit = nullptr;
    QLineEdit *xEdit = nullptr, *yEdit = nullptr, *zEdit = nullptr, *wEdit = nullptr;
    QStatusBar* InfoBar = nullptr;

    // Menu items (object names are the item names; data() holds the Tag).
    QAction *Open1 = nullptr, *Save1 = nullptr, *SaveAs1 = nullptr, *Print1 = nullptr, *Manual1 = nullptr,
            *Exit1 = nullptr;
    QAction *Cut1 = nullptr, *Copy1 = nullptr, *Paste1 = nullptr;
    QMenu *File1 = nullptr, *Edit1 = nullptr, *Loci1 = nullptr, *Backgrounds1 = nullptr, *Foliations1 = nullptr,
          *View1 = nullptr;
    std::array<QAction*, kLociCount> lociItems{};
    QAction* EraseLoci1 = nullptr;
    std::array<QAction*, 7> backgroundItems{};
    QAction* EraseBackground1 = nullptr;
    std::array<QAction*, 8> lineItems{};
    QAction *Erasetheselines1 = nullptr, *ShowFoliationOne1 = nullptr, *ShowFoliationTwo1 = nullptr;
    QAction* ColorPalette1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateMenus();
    QLineEdit* AddEdit(const char* name, int left, int top, int width, const char* text);
    void AddLabel(const char* text, int left, int top);
    void FillMainPanel();

    TLinePalette* linePalette = nullptr;
    std::string savedNumericLocale = "C";
    bool watchCursor = false;  // the hourglass of the watch mode is set
    QLabel* infoText = nullptr;
    QWidget* client = nullptr;
};

// The one main window of the program (null while none exists).
extern TVelmora4* Velmora4;

}  // namespace velmora
