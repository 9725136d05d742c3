#pragma once
// frmDRClient, the client's search window: the search fields bound to the
// engine's MainScreen, the page view `web`, the menus, and the start-up.
// Controls carry the names the rest of the program knows them by, as members
// and as objectName; positions are kept in twips and converted to pixels.
#include <QFont>
#include <QMainWindow>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "client/list_model.h"

class QAction;
class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace dr::ui {

class PageView;
struct PageLink;

class frmDRClient : public QMainWindow {
    Q_OBJECT
public:
    explicit frmDRClient(QWidget* parent = nullptr);
    ~frmDRClient() override;

    static constexpr const char* kCaption = "Findwright      [Quendal Software's Dirroll Client v3]";
    static constexpr int64_t kDesignWidth = 11610, kDesignHeight = 5430; // twips
    static constexpr const char* kSupportMail = "support@quendal.example";
    static constexpr const char* kOnlineHelp = "https://www.quendal.example/dirroller/client-help";

    // The search fields as data, shared with the engine.
    dr::client::MainScreen screen;

    // Controls. Label3 uses the indexes 1 to 6.
    std::array<QLabel*, 7> Label3{};
    QComboBox* cmbType = nullptr;
    QLineEdit* txtFind = nullptr;
    QComboBox* cmbDirroll = nullptr;
    QPushButton* cmdFind = nullptr;
    QCheckBox* chkAdvanced = nullptr;
    QComboBox* cmbDateRange = nullptr;
    QComboBox* cmbUser = nullptr;
    QComboBox* cmbOutput = nullptr;
    QGroupBox* frameDate = nullptr;
    QLabel* lblFrom = nullptr;
    QLabel* lblTo = nullptr;
    QDateTimeEdit* dtStart = nullptr;
    QDateTimeEdit* dtEnd = nullptr;
    QLabel* lblHelp = nullptr;
    QLabel* lblWait = nullptr;
    PageView* web = nullptr;
    QPushButton* cmdOptions = nullptr;
    QPushButton* cmdReset = nullptr;
    QPushButton* cmdExit = nullptr;

    // Menus.
    QMenu *mnuFile = nullptr, *mnuReports = nullptr, *mnuTools = nullptr, *mnuHelp = nullptr;
    QAction *mnuFileSave = nullptr, *mnuFileLaunchBrowser = nullptr, *mnuFileExit = nullptr;
    QAction *mnuReportClear = nullptr, *mnuReportSummary = nullptr, *mnuReportDuplicates = nullptr,
            *mnuReportMissingSep = nullptr, *mnuReportMissing = nullptr;
    std::array<QAction*, 3> mnuReportDefault{};
    QAction *mnuToolsLaunch = nullptr, *mnuToolsReset = nullptr, *mnuToolsDebug = nullptr,
            *mnuToolsShowFolders = nullptr, *mnuToolsUpdate = nullptr, *mnuToolsOptions = nullptr;
    QAction *mnuHelpContents = nullptr, *mnuHelpContact = nullptr, *mnuHelpAbout = nullptr,
            *mnuHelpWhatsNew = nullptr;

    // Runs a modal dialog; tests put a scripted one in place.
    std::function<int(QDialog&)> execDialog;

    // The start-up of the window's Load: placement, settings, the server
    // update, the main screen; then shows the window. False when the client
    // should end (no lists in a full install: the main program was started).
    bool startUp();
    // Fills the search combos, the owner and list combos, shows the start page.
    void InitialiseMainScreen();

    // Commands (what the buttons, keys and menus call).
    void RunSearch();                 // Go and Enter; ignored while a search runs
    void advancedClick();             // chkAdvanced's Click
    void PlaceBrowser();
    void Form_Resize();
    void resetFields();               // "&Restore Defaults" and "Defaults"
    void clearResults();
    void reportDefault(int index);    // mnuReportDefault(0..2)
    void showSummary();               // "Show Dirroll Summary"
    void ShowSummaryPage(const std::string& summaryPath);
    void toggleShowFolders();
    void toggleDebugMode();
    void showOptions();
    void showServerPathDialog();
    void helpContents();
    void contactSupport();
    void aboutBox();
    void launchDirroller();
    void saveResults();
    void launchResults();
    void exitCommand();               // File > Exit
    void pageLink(const PageLink& link);

    // The 8-point sans serif the window and its dialogs were designed with.
    static QFont designFont();

    // The start page and the help page beside the program, written when missing.
    static std::string startPagePath();
    static void writeMissingPages();

    bool searching() const { return opDepth_ > 0; }
    int searchesRun() const { return searches_; }

    // Layout values in twips.
    int64_t innerWidthTw() const;
    int64_t innerHeightTw() const;
    int64_t webTopTw() const;

    // The window placement to the settings file (Exit and the close box).
    void saveWindowPlacement();

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void buildControls();
    void buildMenus();
    void connectAll();
    void bindHost();
    void restoreWindowPlacement();
    void syncFromScreen();
    void showStartPage();
    void setMenusVisible(bool on);
    void place(QWidget* w, int64_t left, int64_t top, int64_t width, int64_t height);
    void placeWeb(int64_t left, int64_t top, int64_t width, int64_t height);
    // Runs f unless a search or summary is running; false when it did not run.
    bool runOperation(const std::function<void()>& f);
    void searchNow();

    int opDepth_ = 0;
    int searches_ = 0;
    bool syncing_ = false;
    bool closePending_ = false;
    bool closing_ = false;
    bool menusShown_ = true;
    int64_t webLeft_ = 270, webTop_ = 4140, webWidth_ = 4695, webHeight_ = 1455; // twips
};

} // namespace dr::ui
