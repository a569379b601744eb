// The shell's reading of a shortcut: its link object, loaded from the file.
// ole32 is looked up on first use from the system folder (SystemLibrary.h),
// so a start that never sees a drop maps none of it.
#include "app/DroppedFile.h"

#include "base/SystemLibrary.h"
#include "base/WinText.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

namespace keyvane {
namespace {

// Releases a COM interface on every way out.
template <class Interface> struct Held {
    Interface* p = nullptr;
    ~Held() {
        if (p) p->Release();
    }
};

class ShellShortcutResolver final : public ShortcutResolver {
  public:
    std::optional<ShortcutLink> Resolve(const std::u16string& path) override {
        auto* create =
            SystemFunction<decltype(::CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
        if (!create || !EnterComApartment()) return std::nullopt;
        Held<IShellLinkW> link;
        if (FAILED(create(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                          reinterpret_cast<void**>(&link.p))))
            return std::nullopt;
        Held<IPersistFile> file;
        if (FAILED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p))) ||
            FAILED(file.p->Load(W(path), STGM_READ)))
            return std::nullopt;
        // Read as stored: no search for a moved target, no window asking.
        ShortcutLink result;
        std::vector<wchar_t> text(32768, L'\0'); // the longest path the system takes
        const int size = static_cast<int>(text.size());
        if (link.p->GetPath(text.data(), size, nullptr, 0) == S_OK)
            result.target = FromWide(text.data());
        text[0] = L'\0';
        if (SUCCEEDED(link.p->GetArguments(text.data(), size)))
            result.arguments = FromWide(text.data());
        text[0] = L'\0';
        if (SUCCEEDED(link.p->GetWorkingDirectory(text.data(), size)))
            result.workingFolder = FromWide(text.data());
        int show = SW_SHOWNORMAL;
        if (SUCCEEDED(link.p->GetShowCmd(&show))) result.showCommand = show;
        return result;
    }
};

} // namespace

std::unique_ptr<ShortcutResolver> MakeShellShortcutResolver() {
    return std::make_unique<ShellShortcutResolver>();
}

} // namespace keyvane
