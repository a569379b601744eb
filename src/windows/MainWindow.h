// The main window: the hidden top-level window that owns the tray icon, the
// menu bar, the option files and the exit routes, and, once first shown, the
// two pages (the task page and the options). Its handlers read the controls,
// call the core and show the result; the core runs the program's life, and
// its change listener is the one road back to the windows.
#pragma once

#include "app/AppCore.h"
#include "app/CommandLine.h"
#include "app/options/OptionFiles.h"
#include "windows/TrayIcon.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

namespace keyvane {

class AboutBox;
class MainPages;

class MainWindow final : private OptionsWindow {
  public:
    // Creates the hidden window and the tray icon, applies the option files
    // (a damaged one becomes a start-up report of the core) and queues the
    // start-up reports for the message loop. The core has started already.
    // Throws when the window cannot be created.
    MainWindow(HINSTANCE instance, AppCore& core);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND handle() const { return handle_; }
    // Keys the window's controls take before they are dispatched.
    bool PreTranslateMessage(MSG& msg);

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool Command(UINT id);

    // Commands of the menu bar and the tray menu; the task commands are the
    // task page's, the Options page's buttons the pages'.
    void OnShowFromTray(); // tray menu "Show Main Window", a second start
    void OnAbout();        // "Help" > "About..." and the tray's "About..."
    // "Edit" > "Undo ..." and "Redo ...", Ctrl+Z and Ctrl+Y
    // (MainWindowEdit.cpp, with the tray's pause).
    void OnUndo();
    void OnRedo();
    void OnPause(); // the tray's "Pause hotkeys", a switch
    // A second start's switch; returns the answer (EncodeAnswer).
    LRESULT OnCommandLine(const CommandRequest& request);
    // A menu opens: its Edit items name what they undo, the pause is ticked.
    void OnInitMenuPopup(HMENU menu);
    // "File" > "Exit", the tray's "Exit" and WM_CLOSE (setup, uninstaller):
    // the core's exit (the last save of the tasks, the release of the
    // hotkeys, then the options), then the window goes and the loop ends. A
    // failed save is reported and the program keeps running with its tasks.
    void OnExit();
    void OnTrayIcon(UINT mouseMessage);
    void OnEndSession(bool ending);
    // Keeps the focused control when the window is deactivated and gives it
    // back when it is activated; true when the focus was set.
    bool OnActivate(bool active, bool minimized);
    void ShowStartupReports();
    void ShowActionFailures();

    // The pages are made the first time the window is shown.
    MainPages& Pages();
    void ShowInFront();
    // Lets in the messages a lower integrity level may send.
    void LetMessagesIn();
    // When a modal window is open, an exit closes it first and comes back.
    bool DeferForModal(UINT message, WPARAM wParam);
    // The least outer size that shows every control whole, at the
    // window's dpi.
    SIZE MinimumWindowSize() const;
    // Width and height of the restored window (of the normal placement
    // while it is maximized); -1 keeps that one.
    void SetRestoredSize(int width, int height);

    // What the option files apply and read back (MainWindowSettings.cpp);
    // the core decides when.
    SettingsValues CurrentOptions() const override;
    WindowSizeValues CurrentWindowSize() const override;
    int Dpi() const override { return dpi_; }
    void KeepReachable() override;
    void SetAutoStartOption(bool set) override;
    void SetTrayOnlyOption(bool set) override;
    void SetPauseFullScreenOption(bool set) override;
    void SetColumnWidth(int column, int width) override;
    void SetPauseHotKey(HotKeyCode code) override;
    void ShowMainWindow() override;
    void SetWindowWidth(int width) override;
    void SetWindowHeight(int height) override;
    void MaximizeWindow() override;
    void MoveWindowTo(int left, int top) override;

    HINSTANCE instance_ = nullptr;
    HWND handle_ = nullptr;
    AppCore& core_;
    std::unique_ptr<MainPages> pages_;
    std::unique_ptr<AboutBox> about_;
    TrayIcon tray_;
    HMENU trayMenu_ = nullptr;
    // The options as the files set them, until the pages show them.
    SettingsValues options_;
    // A maximized state read while the window was hidden: applied when it
    // is shown, never showing it by itself.
    bool maximizeWhenShown_ = false;
    // The control that had the keyboard when the window was deactivated; it
    // gets it back at the next activation.
    HWND lastFocus_ = nullptr;
    // The first activation loads the option files again, once.
    bool activatedOnce_ = false;
    // The dpi the window's sizes were made for; WM_DPICHANGED says the new one.
    int dpi_ = 96;
    static constexpr UINT kStartupReportsMessage = WM_APP + 1;
    // Posted by OnCommandLine: runs task wParam once its answer is sent.
    static constexpr UINT kRunTaskMessage = WM_APP + 2;
    // Posted when an action told a failure: shown once the action is over.
    static constexpr UINT kActionFailuresMessage = WM_APP + 3;
};

} // namespace keyvane
