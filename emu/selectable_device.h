// A device that exists in several alternative forms, each a child device: one is
// selected, only it is enabled and started, and the user picks it from a "Selected" menu.
// No machine builds one; it is offered as part of the framework.
#pragma once

#include <vector>

#include "emu/device.h"

class SelectableDevice : public Device {
public:
    SelectableDevice() = default;
    ~SelectableDevice() override = default;

    // Binds "SelectedIndex" (signed 32-bit) unless dict has it, then the children's keys.
    bool BindSettings(Dictionary* dict, bool enabledOnly) override;
    // An index outside the children is repaired to 0 and answers false.
    bool ValidateSettings(bool enabledOnly) override;
    // Enables only the selected child and starts it; false without starting anything when
    // the index is not below the number of children.
    bool Start(i32* rate) override;
    void BuildMenu(OptionItem* menu, i32 kind) override;
    bool IsSelectable() const override { return true; }

    // Enables the selected child and disables the others; true when one matched.
    bool ApplySelection();
    // Display name of alternative index (an empty name means the child's own name).
    void SetChoiceName(i32 index, const char* text);
    const char* GetChoiceName(i32 index) const;

    i32 GetSelectedIndex() const { return selected_; }
    void SetSelectedIndex(i32 index) { selected_ = index; }
    i32 GetSelectionMenuKind() const { return selectionMenuKind_; }
    void SetSelectionMenuKind(i32 kind) { selectionMenuKind_ = kind; }

private:
    void EnableOnly(i32 index);

    i32 selected_ = 0;
    std::vector<StringA> choiceNames_;
    i32 selectionMenuKind_ = kMenuDebug;
};
