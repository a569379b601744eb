// The component that registers hotkey codes with the system as global
// hotkeys and raises an event when one is pressed, and the registration pass
// over the task table. Codes and their text are in HotKeyText.h.
#pragma once

#include "hotkeys/HotKeyPress.h"
#include "hotkeys/HotKeyText.h"
#include "tasks/ProgramScope.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace keyvane {

class TaskTable;

// Asks the system not to repeat the hotkey message while the keys are held
// (MOD_NOREPEAT); added to the modifier flags of every registration.
inline constexpr std::uint16_t kModNoRepeat = 0x4000;

class THotKeyManager;

// The system's global hotkey service and the hidden window it delivers to.
// Windows implements it with RegisterHotKey and global atoms; the tests use a
// fake that refuses taken pairs and counts atom references.
class HotKeySystem {
  public:
    virtual ~HotKeySystem() = default;
    // Each hotkey message of the hidden window goes to manager.Pressed.
    virtual void Attach(THotKeyManager& manager) = 0;
    // A reference to the global atom of the name; 0 when none can be had.
    virtual std::uint16_t AddGlobalAtom(const std::u16string& name) = 0;
    virtual void DeleteGlobalAtom(std::uint16_t atom) = 0;
    // Either registers the pair under the id or refuses and registers nothing.
    virtual bool RegisterHotKey(std::uint16_t id, std::uint16_t flags, std::uint16_t key) = 0;
    virtual bool UnregisterHotKey(std::uint16_t id) = 0;
};

// THotKeyManager, TOnHotKeyPressed, OnHotKeyPressed and the capitalised
// fields below are the design's names, kept as its documents spell them.
struct HotKeyRegistration {
    HotKeyCode Code;  // as passed to AddRegistration
    std::uint16_t Id; // global atom, also the id given to the system
};

// The name whose global atom identifies the registration of a code.
std::u16string RegistrationAtomName(HotKeyCode code);

class THotKeyManager {
  public:
    using TOnHotKeyPressed = std::function<void(const HotKeyPress& press)>;

    explicit THotKeyManager(std::unique_ptr<HotKeySystem> system);
    // Releases every registration, then the hidden window.
    ~THotKeyManager();
    THotKeyManager(const THotKeyManager&) = delete;
    THotKeyManager& operator=(const THotKeyManager&) = delete;

    // Returns the registration id, or 0 when the system refused the code or
    // this manager already holds it (the list keeps one entry per code).
    // Codes that differ in the keypad bit alone are one registration, kept
    // without the bit, in these calls and the two below.
    std::uint16_t AddRegistration(HotKeyCode code);
    // Unregisters and forgets the entry of the code; true when the system
    // released the hotkey. The atom reference is returned in every case.
    bool ReleaseRegistration(HotKeyCode code);
    // Releases every entry, last first.
    void ReleaseAllRegistrations();
    // One code outside the table that stays registered while the tasks'
    // hotkeys are given back (0: none). Only marks it; AddRegistration
    // registers it.
    void SetKeptCode(HotKeyCode code);
    // Releases every entry but the kept code's, last first.
    void ReleaseTaskRegistrations();
    bool HasRegistration(HotKeyCode code) const;
    // Whether another program holds the code: the system refuses a trial
    // registration, made and given back at once. A code this manager holds
    // is not held elsewhere.
    bool IsHeldElsewhere(HotKeyCode code);
    const std::vector<HotKeyRegistration>& Registrations() const { return registrations_; }

    // A press the system reported, as the hidden window unpacks its hotkey
    // message: for a registered code, raises OnHotKeyPressed with PressOf.
    void Pressed(HotKeyCode code, std::uint16_t index);
    TOnHotKeyPressed OnHotKeyPressed;
    // What a press of the code finds now (Index left 0): the texts of the
    // last registration pass and the program in front.
    HotKeyPress PressOf(HotKeyCode code) const;

    // Registers the code of every row's Hotkey text that parses, enabled or
    // not, and active for the program in front (its Programs field admits
    // it). Only adds: codes already held stay as they are. Keeps which code
    // each text read as, for PressOf, and the codes that only rows for some
    // programs hold, for FollowForeground. The codes of rows for all
    // programs are registered first, so the others stay near the end of the
    // list, where a release finds them at once.
    void RegisterAllTaskHotKeys(const TaskTable& table, const HotKeyNames& names);

    // The file name of the program in front, as the window in front's
    // process reports it (any letter case, no folder; empty: unknown).
    void SetForegroundProgram(std::u16string_view fileName);
    // Case-folded, as ScopeAdmits takes it.
    const std::u16string& foregroundProgram() const { return foreground_; }
    // After the program in front changed: registers the codes of the last
    // pass that rows for some programs hold and that are active now, and
    // gives back those that are not. Codes a row for all programs holds are
    // never touched. Returns how many registrations changed.
    int FollowForeground();
    // Gives back every registration but the kept one whose code no row's
    // Hotkey text holds any more, so a deleted or re-bound combination works again in other
    // programs. Run after a command that deletes, re-binds or imports rows.
    // Returns the number released.
    int ReleaseUnusedRegistrations(const TaskTable& table, const HotKeyNames& names);

  private:
    std::unique_ptr<HotKeySystem> system_;
    std::vector<HotKeyRegistration> registrations_; // in the order added
    std::unordered_set<HotKeyCode> codes_;          // the codes of registrations_
    std::unordered_map<HotKeyCode, std::vector<std::u16string>> texts_; // of the last pass
    // Of the last pass: each code that only rows for some programs hold,
    // with the Programs fields of those rows (distinct, few).
    struct ScopedCode {
        HotKeyCode code;
        std::vector<ProgramScope> scopes;
        bool admits(std::u16string_view program) const;
    };
    std::vector<ScopedCode> scoped_;
    std::u16string foreground_;
    HotKeyCode kept_ = 0;
};

// Whether a row's hotkey can work, for the mark in its Hotkey cell.
enum class HotKeyState {
    Ok,             // registered, and a press finds the row
    Empty,          // no hotkey
    Unparsable,     // text that names no hotkey on any installed layout:
                    // never registered
    NotRegistered,  // names a hotkey this program does not hold: another
                    // program has it
    TakesCharacter, // registered, but AltGr types a character with its key
                    // on the layout in use: in any program, typing that
                    // character runs the row instead (CharacterTakenFromAltGr)
    OtherPrograms,  // for some programs, none of which is in front: not
                    // registered until one is
    Paused,         // the hotkeys are paused: none is registered, and none
                    // is known to be taken until they resume
};
// A character taken counts only for a hotkey that works.
HotKeyState HotKeyStateOf(std::u16string_view text, const HotKeyNames& names,
                          const THotKeyManager& manager);

// Windows only (HotKeyManager_win32.cpp): the global hotkey service with its
// hidden message window.
std::unique_ptr<HotKeySystem> MakeSystemHotKeys();

} // namespace keyvane
