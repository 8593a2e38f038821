#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "core/field.h"

namespace corvanta {

// Everything the user edits and the actions work on: 24 text fields and the
// side choice. Any text may stand in any field; nothing is checked until an
// action reads a field as a number.
class DesignSheet {
public:
    // Called after every write of an action, with the new text, so that a
    // view shows it at once (also the writes made before the action failed).
    using ChangeObserver = std::function<void(Field, std::string_view)>;

    DesignSheet();

    // The text a field holds when the sheet is created.
    static std::string_view StartText(Field field);

    const std::string& Read(Field field) const { return texts_[FieldIndex(field)]; }

    // An action's write: the observer is told.
    void Replace(Field field, std::string text);

    // The user's own edit, from the view that already shows it: the observer
    // is not told, so that a keystroke does not come back to its box.
    void Edit(Field field, std::string text) { texts_[FieldIndex(field)] = std::move(text); }

    SideChoice Side() const { return side_; }
    // Choosing three or four sides replaces the other; there is no way back
    // to no choice, so SideChoice::None is ignored.
    void SetSide(SideChoice side);

    void SetObserver(ChangeObserver observer) { observer_ = std::move(observer); }

private:
    std::array<std::string, kFieldCount> texts_;
    SideChoice side_ = SideChoice::None;
    ChangeObserver observer_;
};

}  // namespace corvanta
