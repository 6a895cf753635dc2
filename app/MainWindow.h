// TMainWindow: the main window. A shell of widgets, menus and event handlers
// over the pieces that hold the state:
//   TSurfaceSession  the input texts, the engines, the domain map and the
//                    stored loci, curves and coordinate points (no Qt)
//   TMainPanel       the panel of the domain: background picture, cross,
//                    Shift-drag
//   TEllipsePanel    the panel of the normal plane and its figure
//   TWatch           the watch mode of long commands (busy, stop, the button)
//   TBackgroundCommand  the background workers of the panel or a page
//   TSpecialPointsCommand  the search for special points, on the same workers' engines
//   TLocusCommand    the locus traced on a worker thread
//   TPrintController, TExportController  the printed page and Export Image
// plus the window's own options (line kind, foliation filter, background).
//
// The implementation is split by responsibility:
//   MainWindow.cpp           start-up, layout, shut-down, the key preview
//   MainWindowMenus.cpp      menus and their enabled/checked states
//   MainWindowInput.cpp      reading the input ("Enter"), Stop
//   MainWindowMainPanel.cpp  mouse moves and keys over the panels, data panel, repaint
//   LociCommands.cpp        the Loci menu
//   LineCommands.cpp        the Foliations menu and clicks on the panel
//   BackgroundItems.cpp     the Backgrounds menu
//   SpecialPointItems.cpp   Show Special Points, and a special point under the pointer
//   MainWindowFile.cpp       documents: open, save, the question before closing
//   MainWindowPrint.cpp      the manual; Print and Export Image, handed to
//                            TPrintController and TExportController
//   MainWindowDesktop.cpp    what is remembered between runs, Open Recent
//   MainWindowSurface3D.cpp  View > "Surface in 3D" (TSurfaceWindow)
#pragma once

#include "app/BackgroundCommand.h"
#include "app/Dialogs.h"
#include "app/EllipsePanel.h"
#include "app/ExportController.h"
#include "app/LocusCommand.h"
#include "app/MainPanel.h"
#include "app/PrintController.h"
#include "app/Settings.h"
#include "app/SpecialPointsCommand.h"
#include "app/Watch.h"
#include "canvas/Colour.h"
#include "geometry/LineClass.h"
#include "geometry/ScalarInvariants.h"
#include "platform/Platform.h"
#include "session/SurfaceSession.h"

#include <QMainWindow>
#include <QPoint>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QActionGroup;
class QEvent;
class QFont;
class QIcon;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStatusBar;

namespace velmora {

class TFieldLengthGuard;
class TPageSetupDialog;
class TColourPicker;
class TSurfaceWindow;
class TManualWindow;
class TValueList;

// The interface font of the windows (menus and controls alike).
QFont InterfaceFont(int pixelSize, bool bold = false);
// The program's icon (packaging/velmora4.svg, built into the program).
QIcon ProgramIcon();

inline constexpr int kBackgroundKinds = 7;
inline constexpr int kLineKinds = 8;

// The window's controls under their designer names. Each is owned by its Qt
// parent; the two paint boxes belong to the panels.
struct TMainWindowControls {
    TValueList* FunctionValues1 = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* EnterButton = nullptr;
    QLineEdit *uMinEdit = nullptr, *uMaxEdit = nullptr, *vMinEdit = nullptr, *vMaxEdit = nullptr;
    QLineEdit *xEdit = nullptr, *yEdit = nullptr, *zEdit = nullptr, *wEdit = nullptr;
    QStatusBar* InfoBar = nullptr;

    // Menu items (object names are the item names; data() holds the Tag).
    QAction *New1 = nullptr, *Open1 = nullptr, *Save1 = nullptr, *SaveAs1 = nullptr, *Print1 = nullptr,
            *ExportImage1 = nullptr, *Manual1 = nullptr, *Exit1 = nullptr;
    QMenu* OpenRecent1 = nullptr;  // one item per remembered document
    QAction *Cut1 = nullptr, *Copy1 = nullptr, *Paste1 = nullptr;
    QMenu *File1 = nullptr, *Edit1 = nullptr, *Loci1 = nullptr, *Backgrounds1 = nullptr, *Foliations1 = nullptr,
          *View1 = nullptr;
    std::array<QAction*, kLociCount> lociItems{};
    QAction* EraseLoci1 = nullptr;
    std::array<QAction*, kBackgroundKinds> backgroundItems{};
    QActionGroup* backgroundGroup = nullptr;  // one background at most: radio marks
    QAction* EraseBackground1 = nullptr;
    std::array<QAction*, kLineKinds> lineItems{};
    QActionGroup* lineGroup = nullptr;  // one line kind: radio marks
    QAction *Erasetheselines1 = nullptr, *ShowFoliationOne1 = nullptr, *ShowFoliationTwo1 = nullptr;
    QAction* ShowSpecialPoints1 = nullptr;  // checked while special points are shown
    QAction* ColorPalette1 = nullptr;
    QAction* SurfaceIn3D1 = nullptr;  // disabled, and saying why, without OpenGL

    // The eight input edits in field order: x, y, z, w, uMin, uMax, vMin, vMax.
    std::array<QLineEdit*, kInputFields> InputEdits() const {
        return {xEdit, yEdit, zEdit, wEdit, uMinEdit, uMaxEdit, vMinEdit, vMaxEdit};
    }
};

class TMainWindow : public QMainWindow {
public:
    // OnCreateForm: one engine set and one background worker per processor
    // (numOfCPU, at least 1).
    explicit TMainWindow(int numOfCPU = LogicalProcessorCount());
    ~TMainWindow() override;  // OnDestroyForm

    // The picker whose curveColor colours the cross and new curves; it takes
    // the choice remembered from the last run.
    void SetLinePalette(TColourPicker* palette);
    TColor CurveColor() const;

    // ---- input ------------------------------------------------------------------
    // Does nothing while busy or while background workers run (they use the
    // engines that a read rebuilds). A field that cannot be read sounds the
    // tone, names itself and the reason in the status bar ("Error reading an
    // edit field: z(u,v): Check the parentheses, please.") and gets the cursor.
    bool ReadData();
    // An edit holds a text other than the one last read (or opened, or shown
    // at start): a change that closing or opening would lose.
    bool EditsChanged() const;
    // "Enter", or "Stop" while busy: the running trace ends within 30 steps,
    // the background workers after their current row.
    void OnEnterButton();
    void BeginWatch() { watch->BeginWatch(); }
    void EndWatch() { watch->EndWatch(); }
    void ManageMenus();
    // The checks of the line kind and the background follow the options.
    void ShowChosenItems();

    // ---- main panel -------------------------------------------------------------
    Vector2Int FromR2toWindow(const Vector2& param) const { return session.Map().FromR2toWindow(param); }
    Vector2 FromWindowToR2(int x, int y) const { return session.Map().FromWindowToR2(x, y); }
    bool InRange(double& depth, const Vector2& p) const { return session.Map().InRange(depth, p); }
    void OnMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int X, int Y);
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int X, int Y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int X, int Y);
    void ShowPointUnderMouse(int X, int Y);
    // The same for a domain point: the data and ellipse panels, the cross
    // and the 3D view's marker.
    void ShowPointAt(const Vector2& p);
    void ShowData(const Vector2& param, double halfMajorAxis, double halfMinorAxis, double lengthH, double depth,
                  double alpha, double gaussCurvature, double discrNormDev, double discrLatDev, double discrStrPpal);
    void DrawCross();
    void OnMouseMoveInForm();
    // Returns true when the key was a command of the window.
    bool OnKeyDownInForm(int key, Qt::KeyboardModifiers shift, bool autoRepeat);
    void OnPaint();
    void RedrawLoci() { mainPanel.RedrawLoci(session); }
    void RedrawLines() { mainPanel.RedrawLines(session); }
    void MoveInEllipsePanel(int X, int Y);

    // ---- loci ---------------------------------------------------------------------
    // Traces the locus on a worker under the watch; the window stays usable.
    void OnLocusItem(int tag);
    const TLocusCommand& Locus() const { return *locus_; }
    void OnEraseLoci();

    // ---- lines -------------------------------------------------------------------
    void OnLineItem(int tag);
    void OnShowFoliations(int tag);
    void OnEraseCurves();

    // ---- special points -------------------------------------------------------------
    // "Show Special Points": checked, the points of the chosen line class are
    // searched for under the watch and drawn; unchecked, they go.
    void OnShowSpecialPoints();
    // Searches for the points of the chosen line class (the item is checked
    // while they are searched for and shown); false when nothing started.
    bool StartSpecialPoints();
    // The data panel lists a special point: kind, index, separatrices, type.
    void ShowSpecialPointData(const TSpecialPoint& point);
    const TSpecialPointsCommand& SpecialPointsSearch() const { return *specialPoints_; }

    // ---- backgrounds ---------------------------------------------------------------
    void OnColorByFunction(int tag);
    void OnEraseBackground();
    // Starts the workers of the chosen background on target: the panel's
    // background, or the bitmap of a printed page (with printingBackground
    // set, the page-finished handler runs when the last worker ends, then the
    // watch ends). False when nothing started: no background is chosen, or
    // no worker could be started (the window is idle again).
    bool ColorByFunction(QImage& target);
    bool printingBackground() const { return background->printingBackground; }
    void SetPrintingBackground(bool value) { background->printingBackground = value; }
    void SetPageBackgroundFinished(std::function<void()> handler) {
        background->SetPageFinishedHandler(std::move(handler));
    }
    const TBackgroundCommand& Background() const { return *background; }
    TBackgroundCommand& Background() { return *background; }

    // Closing: asks the running trace to end, stops every background worker
    // and waits for them. The engines are released only afterwards.
    void StopAllWork();

    // ---- other menu commands ---------------------------------------------------------
    void OnViewPalette();
    // View > "Surface in 3D": shows the 3D window (made on first use).
    void OnViewSurface3D();
    // The 3D window, once it was made.
    TSurfaceWindow* SurfaceWindow() { return surfaceWindow_.get(); }

    // ---- documents ----------------------------------------------------------------
    // File > New: the default surface, read, with no file name; changes are
    // asked about first, as closing does.
    void OnNew();
    void OnOpen();
    void OnSave();
    void OnSaveAs();
    // Saves unsaved input (reading changed edits first, asking for a name
    // when there is none) and ends the program without a question; a read or
    // a save that fails keeps the window open.
    void OnExit();
    // The window is about to close: true when it may.
    bool OnCloseQuery();
    // Input that is about to be replaced (closing, New, Open): with changes
    // - input read and not saved, or edits not read - asks "Do you want to
    // save changes made?"; true when the input may go (saved, or No).
    bool ConfirmDiscard();
    // Reads a document into the edits and presses "Enter"; a file that is
    // refused leaves the edits and Filename as they were (status message).
    bool OpenDocument(const QString& path);
    // Puts the texts of the document at path into the eight edits; false
    // (and the reason in the status bar) when it is refused.
    bool FromDisk(const QString& path);
    // Writes the input last read to path; false (and the reason in the
    // status bar) when nothing could be saved.
    bool ToDisk(const QString& path);
    const QString& Filename() const { return Filename_; }
    // The modal dialogs (the system's unless replaced, e.g. by a test).
    void SetDialogs(std::unique_ptr<TDialogs> dialogs) { dialogs_ = std::move(dialogs); }

    // ---- desktop: what is remembered between runs --------------------------------------
    TSettings& Settings() { return settings_; }
    // The window's position and the picker's choice, into the settings.
    void SaveDesktopSettings();
    // Open Recent: the items of the remembered documents, most recent first.
    void RebuildRecentMenu();
    // A remembered document chosen: opened as Open does; one that is gone
    // leaves the list.
    void OnOpenRecent(const QString& path);

    // ---- export ------------------------------------------------------------------
    // File > "Export Image...": a file name (PNG, SVG or PDF) and a size.
    void OnExportImage();
    // Writes the figure of side size into path; with a background chosen,
    // the workers compute it anew at that size first and the file is written
    // when the last one ends (the window stays usable; Stop cancels). False
    // when it failed at once; the outcome is told in the status bar.
    bool ExportImage(const QString& path, int size);

    // ---- manual and printing --------------------------------------------------------
    void Manual1Click();
    TManualWindow& Manual();  // created on first use
    void OnPrint();
    TPageSetupDialog& PageSetupDialog() { return print_->PageDialog(); }  // created on first use
    // The choices of the last confirmed page dialog.
    const TPrintSettings& PrintSettings() const { return print_->Settings(); }

    // ---- status bar ---------------------------------------------------------------
    void SetInfoText(const QString& text);
    QString InfoText() const;

    // ---- the pieces and the options ------------------------------------------------
    const TSurfaceSession& Session() const { return session; }
    TSurfaceSession& Session() { return session; }
    const TMainPanel& MainPanel() const { return mainPanel; }
    TMainPanel& MainPanel() { return mainPanel; }
    const TEllipsePanel& EllipsePanel() const { return ellipsePanel; }
    TEllipsePanel& EllipsePanel() { return ellipsePanel; }
    const TMainWindowControls& Controls() const { return ui; }
    bool busy() const { return watch->busy(); }
    bool stop() const { return watch->stop(); }
    // A background, a locus or a search for special points holds the worker engine sets.
    bool WorkerEnginesInUse() const {
        return background->Running() || locus_->Running() || specialPoints_->Running();
    }
    // A command must not start: a long command runs, or workers still use the engines.
    bool CommandsBlocked() const { return busy() || WorkerEnginesInUse(); }
    bool panelsFrozen() const { return panelsFrozen_; }
    TLineClass linesOption() const { return linesOption_; }
    int curvesParts() const { return curvesParts_; }
    uint8_t showFoliations() const { return showFoliations_; }
    std::optional<TBackgroundType> backgroundType() const { return backgroundType_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* CreateClient();
    void CreateControls();
    void ConnectPanels();
    void CreateMenus();
    QLineEdit* AddEdit(const char* name, int left, int top, int width, const std::string& text);
    void AddLabel(const char* text, int left, int top);

    enum class TSaveOutcome { NothingToSave, Saved, Cancelled, Failed };
    // Saves unsaved input under Filename, or asks for a name when there is none.
    TSaveOutcome SaveInput();
    TSaveOutcome SaveInputAs();
    // The changed edits read (a failed read is Failed), then SaveInput.
    TSaveOutcome SaveChanges();
    // The edits' texts become the ones changes are measured from.
    void RememberAppliedTexts(const TInputTexts& texts);
    // A command of the menus starts: the status text of an earlier one goes.
    std::function<void()> Command(std::function<void()> handler);
    // The Ctrl key alone (pressed and released with no other key or button
    // between) freezes or releases the panels; true when it was that.
    bool OnCtrlTap(QEvent* event);
    void SetCaptionFromFile(const QString& path);
    void RestoreDesktopSettings();
    void RestoreSurfaceWindow();
    // The 3D window's first place: beside this window (PlaceBesideWindow).
    void PlaceBeside(QWidget& window) const;
    void SaveSurfaceWindow();

    // Declared in the order of construction: the number locale first (the
    // decimal separator is "." while the window lives), the session before
    // the panels that draw from it.
    std::string savedNumericLocale;
    TSettings settings_;
    TSurfaceSession session;
    QWidget* client;
    TMainPanel mainPanel;
    TEllipsePanel ellipsePanel;
    TMainWindowControls ui;
    QLabel* infoText = nullptr;
    TFieldLengthGuard* fieldGuard_ = nullptr;  // a child of the window
    std::unique_ptr<TWatch> watch;  // on the Enter button
    // Destroyed before the panels and the session: its workers write into
    // the panel's background with the session's engines.
    std::unique_ptr<TBackgroundCommand> background;
    // Its workers use the same engine sets; destroyed (stopped) with it.
    std::unique_ptr<TSpecialPointsCommand> specialPoints_;
    std::unique_ptr<TLocusCommand> locus_;  // its worker uses a worker engine set
    // They start page and figure backgrounds on the background command, so
    // they are destroyed before it.
    std::unique_ptr<TPrintController> print_;
    std::unique_ptr<TExportController> export_;
    // Uses the session's engines and stores: destroyed before them.
    std::unique_ptr<TSurfaceWindow> surfaceWindow_;

    bool panelsFrozen_ = false;  // the data and ellipse panels are frozen
    bool ctrlAlone_ = false;     // Ctrl is down and nothing else was pressed since
    TLineClass linesOption_ = TLineClass::CoordinateLines;  // the kind of line a click traces
    int curvesParts_ = 0;      // half-branches traced from a clicked point
    uint8_t showFoliations_ = 3;
    std::optional<TBackgroundType> backgroundType_;  // none: no background

    TColourPicker* linePalette = nullptr;

    QString Filename_;            // the current document; empty until opened or saved
    TInputTexts appliedTexts_;    // what the edits held when last read, opened or shown at start
    QString lastSaveFailure_;     // the status text of the last failed save
    bool exitWithoutQuestion_ = false;  // Exit closes without asking
    std::unique_ptr<TDialogs> dialogs_;
    std::unique_ptr<TManualWindow> manual_;
};

}  // namespace velmora
