// TForm2, the task editor dialog: its creation step, the fields, Browse, OK
// and Close.
#include "windows/TaskEditorDialog.h"

#include "actions/SystemActions.h"
#include "app/AppPaths.h"
#include "windows/DialogHost.h"
#include "windows/Scaling.h"
#include "windows/ModalLoop.h"
#include "windows/MainWindow.h"
#include "windows/resource.h"
#include "base/ErrorReport.h"
#include "base/Text.h"
#include "base/WinText.h"
#include "tasks/TaskVocabulary.h"

#include <commctrl.h>
#include <commdlg.h>

#include <stdexcept>
#include <vector>

namespace keyvane {

namespace {

std::u16string WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int n = GetWindowTextW(window, text.data(), length + 1);
    return FromWide(std::wstring_view(text.data(), static_cast<std::size_t>(n)));
}

std::u16string ComboText(HWND combo) {
    const auto index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return {};
    const auto length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    return FromWide(std::wstring_view(text.data(), static_cast<std::size_t>(length)));
}

int ActionIndex(std::u16string_view text) {
    const auto action = ActionFromName(text);
    return action ? static_cast<int>(*action) : -1;
}

int RunTypeIndex(std::u16string_view text) {
    for (std::size_t i = 0; i < kRunTypes.size(); ++i)
        if (kRunTypes[i].name == text) return static_cast<int>(i);
    return 0; // "Normal"
}

} // namespace

TForm2::TForm2(HINSTANCE instance, TForm1& form1, AppCore& core) : form1_(form1), core_(core) {
    // Owned by the main window, so it has no taskbar button of its own.
    if (!CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_TASK_EDITOR), form1.handle(),
                            &ForwardingDialogProc<TForm2>, reinterpret_cast<LPARAM>(this)))
        throw std::runtime_error("CreateDialogParamW failed for the task editor");
    core_.setActions(MakeSystemActions(handle_));
}

TForm2::~TForm2() {
    // The editor's hotkey component ends every registration with it, before
    // the main window's destroy step saves.
    core_.ReleaseAllHotKeys();
    if (handle_) DestroyWindow(handle_);
}

void TForm2::FormCreate() {
    const auto loaded = core_.LoadTaskList();
    if (loaded.kind == TaskListStore::LoadResult::Kind::Loaded) {
        core_.RebuildTaskIcons();
        form1_.TaskIconsChanged();
    }
    if (loaded.kind == TaskListStore::LoadResult::Kind::Unreadable) {
        // Starting with no tasks in silence would look like they were lost.
        // Said once the start-up is over, so the box holds nothing up.
        unreadableWarning_ = FromUtf8(loaded.reason) +
                             u"\n\nKeyvane starts without these tasks. The file is not "
                             u"overwritten: it will be kept as \"" +
                             loaded.rescuePath + u"\" when the task list is next saved.";
        PostMessageW(handle_, kWarnMessage, 0, 0);
    }

    HWND actions = GetDlgItem(handle_, IDC_EDITOR_ACTION);
    for (auto name : kActionNames)
        SendMessageW(actions, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(name).c_str()));
    SendMessageW(actions, CB_SETMINVISIBLE, static_cast<WPARAM>(kActionNames.size()), 0);
    SendMessageW(actions, CB_SETCURSEL, 10, 0); // "Run selected program..."
    HWND runTypes = GetDlgItem(handle_, IDC_EDITOR_RUN_TYPE);
    for (const RunType& type : kRunTypes)
        SendMessageW(runTypes, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(ToWide(type.name).c_str()));
    SendMessageW(runTypes, CB_SETCURSEL, 0, 0);

    SetButtonGlyph(GetDlgItem(handle_, IDC_EDITOR_OK), GetModuleHandleW(nullptr), IDI_OK);
    SetButtonGlyph(GetDlgItem(handle_, IDC_EDITOR_CLOSE), GetModuleHandleW(nullptr), IDI_CLOSE);
    SetButtonGlyph(GetDlgItem(handle_, IDC_EDITOR_BROWSE), GetModuleHandleW(nullptr), IDI_BROWSE);

    core_.RegisterAllTaskHotKeys();
}

void TForm2::PresetForAdd() {
    preset_.reset();
    SendDlgItemMessageW(handle_, IDC_EDITOR_ACTION, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageW(handle_, IDC_EDITOR_RUN_TYPE, CB_SETCURSEL, 0, 0);
    SetDlgItemTextW(handle_, IDC_EDITOR_DESTINATION, L"");
    // The hotkey field keeps whatever it last held.
}

void TForm2::PresetForEdit(const EditPreset& preset) {
    preset_ = preset;
    const TaskFields& f = preset.fields;
    fileName_ = f.destination;
    presetAction_ = ActionIndex(f.action);
    SendDlgItemMessageW(handle_, IDC_EDITOR_ACTION, CB_SETCURSEL,
                        static_cast<WPARAM>(presetAction_), 0);
    SetHotKeyField(f.hotKey);
    presetHotKey_ = HotKeyField();
    SetDlgItemTextW(handle_, IDC_EDITOR_DESTINATION, ToWide(f.destination).c_str());
    SendDlgItemMessageW(handle_, IDC_EDITOR_RUN_TYPE, CB_SETCURSEL,
                        static_cast<WPARAM>(RunTypeIndex(f.runType)), 0);
}

void TForm2::KeepFieldsForEdit() {
    preset_.reset();
    presetAction_ =
        static_cast<int>(SendDlgItemMessageW(handle_, IDC_EDITOR_ACTION, CB_GETCURSEL, 0, 0));
    presetHotKey_ = HotKeyField();
}

void TForm2::ShowModal() {
    appendedRow_ = -1;
    done_ = false;
    core_.SuspendHotKeys();
    SetFocus(GetDlgItem(handle_, IDC_EDITOR_HOTKEY));
    RunModal(handle_, form1_.handle(), done_);
    Guarded([&] { core_.ResumeHotKeys(); });
    form1_.TasksChanged();
}

void TForm2::SetHotKeyField(std::uint16_t value) {
    SendDlgItemMessageW(handle_, IDC_EDITOR_HOTKEY, HKM_SETHOTKEY, HotKeyControlFromField(value),
                        0);
}

std::uint16_t TForm2::HotKeyField() const {
    return HotKeyFieldFromControl(static_cast<std::uint16_t>(
        SendDlgItemMessageW(handle_, IDC_EDITOR_HOTKEY, HKM_GETHOTKEY, 0, 0)));
}

TaskFields TForm2::ReadFields() const {
    TaskFields f;
    f.action = ComboText(GetDlgItem(handle_, IDC_EDITOR_ACTION));
    f.hotKey = HotKeyField();
    f.destination = WindowText(GetDlgItem(handle_, IDC_EDITOR_DESTINATION));
    f.runType = ComboText(GetDlgItem(handle_, IDC_EDITOR_RUN_TYPE));
    return f;
}

bool TForm2::AskProgramFile(std::u16string& path) {
    path = fileName_;
    if (!AskOpenFile(handle_, L"All (*.exe, *.bat, *.com)\0*.exe;*.bat;*.com\0", path))
        return false;
    fileName_ = path;
    return true;
}

void TForm2::BitBtn3Click() {
    fileName_ = ExecutablePath();
    std::u16string path;
    if (AskProgramFile(path)) SetDlgItemTextW(handle_, IDC_EDITOR_DESTINATION, W(path));
}

void TForm2::BitBtn4Click() {
    TaskFields fields = ReadFields();
    if (fields.action == u"Run selected program..." && fields.destination.empty()) {
        std::u16string path;
        // A cancelled dialog leaves the destination empty: its last file
        // name may be this program's own path.
        if (AskProgramFile(path)) fields.destination = path;
        SetDlgItemTextW(handle_, IDC_EDITOR_DESTINATION, W(fields.destination));
    }
    if ((fields.action == u"Open CD-Rom" || fields.action == u"Close CD-Rom") &&
        fields.destination.empty()) {
        fields.destination = FirstCdDrive() + u":";
        SetDlgItemTextW(handle_, IDC_EDITOR_DESTINATION, W(fields.destination));
    }
    EditorCommit commit;
    commit.fields = fields;
    commit.addMode = AddMode == 1;
    const auto action = SendDlgItemMessageW(handle_, IDC_EDITOR_ACTION, CB_GETCURSEL, 0, 0);
    commit.actionPicked = action != presetAction_;
    commit.hotKeyChanged = fields.hotKey != presetHotKey_;
    // A failed save throws from here: the dialog stays open, the row stays.
    core_.CommitEditor(commit, commit.addMode || !preset_ ? nullptr : &*preset_, appendedRow_);
    form1_.TaskIconsChanged();
    done_ = true;
}

void TForm2::BitBtn2Click() {
    done_ = true;
}

std::u16string TForm2::FirstCdDrive() {
    return keyvane::FirstCdDrive(GetLogicalDrives(), [](char16_t letter) {
        const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
        return static_cast<unsigned>(GetDriveTypeW(root));
    });
}

INT_PTR TForm2::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        Guarded([&] { FormCreate(); });
        return FALSE; // the focus is set when the editor is shown
    case kWarnMessage:
        ModalMessageBox(nullptr, W(unreadableWarning_), MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_EDITOR_OK:
            Guarded([&] { BitBtn4Click(); });
            return TRUE;
        case IDC_EDITOR_CLOSE: // also Escape and the title bar's close
            Guarded([&] { BitBtn2Click(); });
            return TRUE;
        case IDC_EDITOR_BROWSE:
            Guarded([&] { BitBtn3Click(); });
            return TRUE;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace keyvane
