// The registration bookkeeping. Nothing here touches the system directly:
// registrations go through a HotKeySystem.
#include "hotkeys/HotKeyManager.h"

#include "base/Text.h"
#include "tasks/TaskTable.h"

#include <algorithm>

namespace keyvane {

std::u16string RegistrationAtomName(HotKeyCode code) {
    std::u16string name = u"HotKeyManagerHotKey";
    for (char c : std::to_string(code))
        name += static_cast<char16_t>(c);
    return name;
}

THotKeyManager::THotKeyManager(std::unique_ptr<HotKeySystem> system) : system_(std::move(system)) {
    system_->Attach(*this);
}

THotKeyManager::~THotKeyManager() {
    ReleaseAllRegistrations();
    system_.reset();
}

namespace {

// The system registers a virtual key: a keypad twin and its main-block key
// are one hotkey to it.
HotKeyCode SystemCode(HotKeyCode code) {
    return code & ~kKeypadBit;
}

} // namespace

std::uint16_t THotKeyManager::AddRegistration(HotKeyCode code) {
    code = SystemCode(code);
    // The system would refuse a pair this window holds already; asking it
    // anyway is a wasted atom reference per row on every pass.
    if (code == 0 || HasRegistration(code)) return 0;
    const HotKeyPair pair = SplitHotKeyCode(code);
    const std::uint16_t id = system_->AddGlobalAtom(RegistrationAtomName(code));
    if (id == 0) return 0;
    // Without no-repeat, a held key sends a stream of presses and one long
    // press starts a program dozens of times.
    if (!system_->RegisterHotKey(id, pair.flags | kModNoRepeat, pair.key)) {
        system_->DeleteGlobalAtom(id);
        return 0;
    }
    registrations_.push_back({code, id});
    codes_.insert(code);
    return id;
}

bool THotKeyManager::ReleaseRegistration(HotKeyCode code) {
    code = SystemCode(code);
    const auto it = std::find_if(registrations_.rbegin(), registrations_.rend(),
                                 [code](const HotKeyRegistration& r) { return r.Code == code; });
    if (it == registrations_.rend()) return false;
    const std::uint16_t id = it->Id;
    registrations_.erase(std::next(it).base());
    codes_.erase(code);
    const bool released = system_->UnregisterHotKey(id);
    system_->DeleteGlobalAtom(id);
    return released;
}

void THotKeyManager::ReleaseAllRegistrations() {
    while (!registrations_.empty()) {
        const HotKeyRegistration entry = registrations_.back();
        registrations_.pop_back();
        codes_.erase(entry.Code);
        system_->UnregisterHotKey(entry.Id);
        system_->DeleteGlobalAtom(entry.Id);
    }
}

void THotKeyManager::SetKeptCode(HotKeyCode code) {
    kept_ = SystemCode(code);
}

void THotKeyManager::ReleaseTaskRegistrations() {
    std::vector<HotKeyCode> codes;
    for (auto it = registrations_.rbegin(); it != registrations_.rend(); ++it)
        if (it->Code != kept_) codes.push_back(it->Code);
    for (HotKeyCode code : codes)
        ReleaseRegistration(code);
}

bool THotKeyManager::HasRegistration(HotKeyCode code) const {
    return codes_.count(SystemCode(code)) != 0;
}

bool THotKeyManager::IsHeldElsewhere(HotKeyCode code) {
    // An id of the application range, below the atoms of the registrations.
    constexpr std::uint16_t kTrialId = 0xBFFF;
    if (code == 0 || HasRegistration(code)) return false;
    const HotKeyPair pair = SplitHotKeyCode(code);
    if (!system_->RegisterHotKey(kTrialId, pair.flags | kModNoRepeat, pair.key)) return true;
    system_->UnregisterHotKey(kTrialId);
    return false;
}

void THotKeyManager::Pressed(HotKeyCode code, std::uint16_t index) {
    // A press queued before its code was given back does nothing.
    if (!OnHotKeyPressed || !HasRegistration(code)) return;
    HotKeyPress press = PressOf(code);
    press.Index = index;
    OnHotKeyPressed(press);
}

HotKeyPress THotKeyManager::PressOf(HotKeyCode code) const {
    HotKeyPress press{code, 0, {}, foreground_};
    if (const auto it = texts_.find(SystemCode(code)); it != texts_.end()) press.texts = it->second;
    return press;
}

void THotKeyManager::RegisterAllTaskHotKeys(const TaskTable& table, const HotKeyNames& names) {
    texts_.clear();
    scoped_.clear();
    std::unordered_set<HotKeyCode> everywhere; // codes a row for all programs holds
    std::unordered_map<HotKeyCode, std::size_t> scopedIndex;
    const int count = table.taskCount();
    for (int row = 0; row < count; ++row) {
        const std::u16string_view text = table.textCell(Column::Hotkey, row);
        const HotKeyCode code = TextToHotKeyCode(names, text);
        if (code == 0) continue;
        // Few texts per code, however many rows share them.
        std::vector<std::u16string>& texts = texts_[SystemCode(code)];
        if (std::find(texts.begin(), texts.end(), text) == texts.end()) texts.emplace_back(text);

        const std::u16string_view programs = table.textCell(Column::Programs, row);
        ProgramScope scope;
        if (!programs.empty()) scope = ReadProgramScope(programs);
        if (scope.kind == ScopeKind::AllPrograms) {
            everywhere.insert(SystemCode(code));
            AddRegistration(code);
            continue;
        }
        auto [it, added] = scopedIndex.try_emplace(SystemCode(code), scoped_.size());
        if (added) scoped_.push_back({SystemCode(code), {}});
        scoped_[it->second].scopes.push_back(std::move(scope));
    }
    std::erase_if(scoped_, [&](const ScopedCode& c) { return everywhere.count(c.code) != 0; });
    for (const ScopedCode& c : scoped_)
        if (c.admits(foreground_)) AddRegistration(c.code);
}

bool THotKeyManager::ScopedCode::admits(std::u16string_view program) const {
    return std::any_of(scopes.begin(), scopes.end(),
                       [&](const ProgramScope& s) { return ScopeAdmits(s, program); });
}

void THotKeyManager::SetForegroundProgram(std::u16string_view fileName) {
    foreground_ = CaseFolded(fileName);
}

int THotKeyManager::FollowForeground() {
    int changes = 0;
    for (const ScopedCode& c : scoped_) {
        const bool wanted = c.admits(foreground_);
        if (wanted == HasRegistration(c.code)) continue;
        if (wanted ? AddRegistration(c.code) != 0 : ReleaseRegistration(c.code)) ++changes;
    }
    return changes;
}

int THotKeyManager::ReleaseUnusedRegistrations(const TaskTable& table, const HotKeyNames& names) {
    std::unordered_set<HotKeyCode> used;
    const int count = table.taskCount();
    // A row for other programs than the one in front holds nothing now.
    for (int row = 0; row < count; ++row)
        if (FieldAdmits(table.textCell(Column::Programs, row), foreground_))
            used.insert(SystemCode(TextToHotKeyCode(names, table.textCell(Column::Hotkey, row))));
    std::vector<HotKeyCode> unused;
    for (auto it = registrations_.rbegin(); it != registrations_.rend(); ++it)
        if (used.count(it->Code) == 0 && it->Code != kept_) unused.push_back(it->Code);
    for (HotKeyCode code : unused)
        ReleaseRegistration(code);
    return static_cast<int>(unused.size());
}

HotKeyState HotKeyStateOf(std::u16string_view text, const HotKeyNames& names,
                          const THotKeyManager& manager) {
    if (text.empty()) return HotKeyState::Empty;
    // Text in another letter case, order or layout runs as well: a press is
    // matched by the code the text reads as.
    const HotKeyCode code = TextToHotKeyCode(names, text);
    if (code == 0) return HotKeyState::Unparsable;
    if (!manager.HasRegistration(code)) return HotKeyState::NotRegistered;
    if (!CharacterTakenFromAltGr(names, code).empty()) return HotKeyState::TakesCharacter;
    return HotKeyState::Ok;
}

} // namespace keyvane
