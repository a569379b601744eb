// A fake of the system's global hotkey service, shared by the tests of the
// registration bookkeeping, the dispatcher and the core: it counts atom
// references and refuses a pair that is taken, by us or by another program.
#pragma once

#include "hotkeys/HotKeyManager.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

namespace keyvane::test {

// What the system holds; outlives the manager so the tests can look after it.
struct SystemState {
    std::map<std::u16string, std::pair<std::uint16_t, int>> atoms; // name -> atom, references
    std::uint16_t nextAtom = 0xC000;
    std::map<std::pair<int, int>, std::uint16_t> ours; // (flags, key) -> id
    std::set<std::pair<int, int>> heldElsewhere;       // pairs another program holds
    std::vector<std::uint16_t> flagsPassed;
    std::vector<std::uint16_t> unregistered; // ids, in order
    THotKeyManager* attached = nullptr;

    int References(HotKeyCode code) const {
        const auto it = atoms.find(RegistrationAtomName(code));
        return it == atoms.end() ? 0 : it->second.second;
    }
    // The (flags, key) pairs we hold.
    std::set<std::pair<int, int>> Held() const {
        std::set<std::pair<int, int>> held;
        for (const auto& entry : ours)
            held.insert(entry.first);
        return held;
    }
};

class FakeHotKeySystem final : public HotKeySystem {
  public:
    explicit FakeHotKeySystem(SystemState& s) : s_(s) {}
    void Attach(THotKeyManager& manager) override { s_.attached = &manager; }
    std::uint16_t AddGlobalAtom(const std::u16string& name) override {
        auto [it, added] = s_.atoms.try_emplace(name, s_.nextAtom, 0);
        if (added) ++s_.nextAtom;
        ++it->second.second;
        return it->second.first;
    }
    void DeleteGlobalAtom(std::uint16_t atom) override {
        for (auto it = s_.atoms.begin(); it != s_.atoms.end(); ++it) {
            if (it->second.first != atom) continue;
            if (--it->second.second == 0) s_.atoms.erase(it);
            return;
        }
        ADD_FAILURE() << "deleting an atom nobody holds: " << atom;
    }
    bool RegisterHotKey(std::uint16_t id, std::uint16_t flags, std::uint16_t key) override {
        s_.flagsPassed.push_back(flags);
        const std::pair<int, int> pair{flags & 0x0F, key};
        if (s_.heldElsewhere.count(pair) || s_.ours.count(pair)) return false;
        s_.ours[pair] = id;
        return true;
    }
    bool UnregisterHotKey(std::uint16_t id) override {
        s_.unregistered.push_back(id);
        for (auto it = s_.ours.begin(); it != s_.ours.end(); ++it) {
            if (it->second == id) {
                s_.ours.erase(it);
                return true;
            }
        }
        return false;
    }

  private:
    SystemState& s_;
};

} // namespace keyvane::test
