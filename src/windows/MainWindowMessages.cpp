// The messages the main window lets in from programs of a lower integrity
// level: which ones is RunningCopy's plan.
#include "windows/MainWindow.h"

#include "app/RunningCopy.h"
#include "windows/SingleInstance.h"

namespace keyvane {

namespace {

UINT MessageOf(GuardedMessage message) {
    switch (message) {
    case GuardedMessage::TaskbarCreated:
        return RegisterWindowMessageW(L"TaskbarCreated");
    case GuardedMessage::TrayCallback:
        return TrayIcon::kCallbackMessage;
    case GuardedMessage::Command:
        return ShowRunningInstanceMessage();
    case GuardedMessage::DropFiles:
        return WM_DROPFILES;
    case GuardedMessage::CopyGlobalData:
        return 0x0049;
    case GuardedMessage::CopyData:
        return WM_COPYDATA;
    }
    return 0;
}

} // namespace

void MainWindow::LetMessagesIn() {
    // Run elevated, the window would not hear the shell (its restart, the
    // tray's clicks): messages from a lower integrity level are dropped
    // unless let through. Nothing that gives orders ever is.
    const MessagePlan plan = PlanMessages(ThisProcessElevated(), ShellElevated());
    for (GuardedMessage guarded : plan.opened)
        if (const UINT message = MessageOf(guarded))
            ChangeWindowMessageFilterEx(handle_, message, MSGFLT_ALLOW, nullptr);
}

} // namespace keyvane
