// Global hotkeys: the hotkey code, its text form, and the component that
// registers codes with the system and raises an event when one is pressed.
//
// A hotkey code is an unsigned 32-bit value: bits 0-7 the virtual key, 0x2000
// Shift, 0x4000 Ctrl, 0x8000 Alt, 0x10000 Win; 0 means no hotkey. The text
// form ("Ctrl+Shift+A") is what the task table's Hotkey column holds; it uses
// the keyboard layout's own key names, which come through KeyNameSource.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace keyvane {

class TaskTable;

using HotKeyCode = std::uint32_t;

// Modifier bits of a hotkey code.
inline constexpr HotKeyCode kShiftBit = 0x2000;
inline constexpr HotKeyCode kCtrlBit = 0x4000;
inline constexpr HotKeyCode kAltBit = 0x8000;
inline constexpr HotKeyCode kWinBit = 0x10000;

// Modifier flags of the system's registration call.
inline constexpr std::uint16_t kModAlt = 1;
inline constexpr std::uint16_t kModControl = 2;
inline constexpr std::uint16_t kModShift = 4;
inline constexpr std::uint16_t kModWin = 8;
// Asks the system not to repeat the hotkey message while the keys are held.
inline constexpr std::uint16_t kModNoRepeat = 0x4000;

inline constexpr std::uint32_t kWmHotKey = 0x0312;

// ---------------------------------------------------------------------------
// Codes and text

struct HotKeyPair {
    std::uint16_t flags; // kModAlt | kModControl | kModShift | kModWin
    std::uint16_t key;   // virtual key, 0-255
};

HotKeyCode MakeHotKeyCode(std::uint16_t flags, std::uint16_t key);
// Bits 8-12 and 17-31 are ignored.
HotKeyPair SplitHotKeyCode(HotKeyCode code);

bool IsMediaKey(std::uint16_t key);
// The fallback name of keys 0xA6-0xB7; empty for any other key.
std::u16string_view MediaKeyName(std::uint16_t key);

// The key names of the keyboard layout in use. Windows asks the system; the
// tests use a fixed table. Producing and parsing text use the same source.
class KeyNameSource {
  public:
    virtual ~KeyNameSource() = default;
    // The layout's display name of the key, or empty when it has none.
    virtual std::u16string KeyName(std::uint8_t key, bool extended) const = 0;
    // Changes whenever the names may change (a new keyboard layout); the
    // names are asked for again only then.
    virtual std::uintptr_t LayoutId() const = 0;
};

// The source the text routines use from now on; nullptr means no key has a
// name. The caller keeps the source alive while it is installed.
void SetKeyNameSource(const KeyNameSource* source);

// The words for the modifiers in produced text, held for the whole run.
struct ModifierNames {
    std::u16string shift = u"Shift";
    std::u16string ctrl = u"Ctrl";
    std::u16string alt = u"Alt";
    std::u16string win = u"Win";
};
const ModifierNames& LocalModifierNames();
// Takes the layout's names of Shift, Ctrl and Alt from the installed source;
// Win becomes "WIN" when the Alt name is all capital letters A-Z. Run once at
// start, before any window is created.
void SetUpLocalModifierNames();
// Back to the English start values (for tests).
void ResetLocalModifierNames();

// The name of the key alone (bits 0-7), as it appears at the end of text.
std::u16string KeyNameOfCode(HotKeyCode code);

// "Ctrl+Shift+Alt+Win+" as far as set, then the key's name. Code 0 gives "".
std::u16string HotKeyCodeToText(HotKeyCode code);
// The code of a text such as "Ctrl+Alt+N"; 0 when it is not a valid hotkey.
HotKeyCode TextToHotKeyCode(std::u16string_view text);
// The editor field's value (key plus 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt)
// of stored text, by the field's own shorter key names; 0 when nothing matches.
std::uint16_t ParseShortcutText(std::u16string_view text);

// ---------------------------------------------------------------------------
// Registration

class THotKeyManager;

// The system's global hotkey service and the hidden window it delivers to.
// Windows implements it with RegisterHotKey and global atoms; the tests use a
// fake that refuses taken pairs and counts atom references.
class HotKeySystem {
  public:
    virtual ~HotKeySystem() = default;
    // Every message of the hidden window goes to manager.HandleWindowMessage.
    virtual void Attach(THotKeyManager& manager) = 0;
    // A reference to the global atom of the name; 0 when none can be had.
    virtual std::uint16_t AddGlobalAtom(const std::u16string& name) = 0;
    virtual void DeleteGlobalAtom(std::uint16_t atom) = 0;
    // Either registers the pair under the id or refuses and registers nothing.
    virtual bool RegisterHotKey(std::uint16_t id, std::uint16_t flags, std::uint16_t key) = 0;
    virtual bool UnregisterHotKey(std::uint16_t id) = 0;
};

struct HotKeyRegistration {
    HotKeyCode Code;  // as passed to AddRegistration
    std::uint16_t Id; // global atom, also the id given to the system
};

// The name whose global atom identifies the registration of a code.
std::u16string RegistrationAtomName(HotKeyCode code);

class THotKeyManager {
  public:
    using TOnHotKeyPressed = std::function<void(HotKeyCode HotKey, std::uint16_t Index)>;

    explicit THotKeyManager(std::unique_ptr<HotKeySystem> system);
    // Releases every registration, then the hidden window.
    ~THotKeyManager();
    THotKeyManager(const THotKeyManager&) = delete;
    THotKeyManager& operator=(const THotKeyManager&) = delete;

    // Returns the registration id, or 0 when the system refused the code or
    // this manager already holds it (the list keeps one entry per code).
    std::uint16_t AddRegistration(HotKeyCode code);
    // Unregisters and forgets the entry of the code; true when the system
    // released the hotkey. The atom reference is returned in every case.
    bool ReleaseRegistration(HotKeyCode code);
    // Releases every entry, last first.
    void ReleaseAllRegistrations();
    bool HasRegistration(HotKeyCode code) const;
    const std::vector<HotKeyRegistration>& Registrations() const { return registrations_; }

    // The hidden window's messages. A hotkey message for a registered code
    // raises OnHotKeyPressed; the caller then hands every message to the
    // system's default processing.
    void HandleWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    TOnHotKeyPressed OnHotKeyPressed;

    // Registers the code of every row's Hotkey text that parses, enabled or
    // not. Only adds: codes already held stay as they are.
    void RegisterAllTaskHotKeys(const TaskTable& table);
    // Gives back every registration whose code no row's Hotkey text holds any
    // more, so a deleted or re-bound combination works again in other
    // programs. Run after a command that deletes, re-binds or imports rows.
    // Returns the number released.
    int ReleaseUnusedRegistrations(const TaskTable& table);

  private:
    std::unique_ptr<HotKeySystem> system_;
    std::vector<HotKeyRegistration> registrations_; // in the order added
    std::unordered_set<HotKeyCode> codes_;          // the codes of registrations_
};

// Windows only (HotKeyManager_win32.cpp): the layout's key names through
// MapVirtualKeyW and GetKeyNameTextW, and the global hotkey service with its
// hidden message window.
const KeyNameSource& SystemKeyNames();
std::unique_ptr<HotKeySystem> MakeSystemHotKeys();

} // namespace keyvane
