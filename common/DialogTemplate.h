#pragma once

#include "common/DialogUnits.h"

#include <string>
#include <string_view>
#include <vector>

namespace halden {

// A dialog as its template describes it: size and font, and each control with its
// ID, kind, template text and position in dialog units.
struct DialogTemplate {
    enum class Kind {
        Bitmap,
        GroupBox,
        Static,
        StaticPane, // a static with a sunken border, used as a status pane
        Edit,
        Button,
        RadioButton,
        CheckBox,
        ComboDropDown, // editable
        ComboDropList, // pick only
        Custom,        // made by a registered window class
    };

    struct Control {
        int id = -1; // -1: a control without an ID
        Kind kind = Kind::Static;
        std::u16string text;
        DialogUnits::Rect rect;
        bool disabled = false;
        bool hidden = false;
        bool sorted = false;
        // Object name of a control without an ID; the window class of a Custom control;
        // the image of a Bitmap.
        std::string name;
    };

    int id = 0;
    int width = 0;
    int height = 0;
    std::u16string caption;
    std::string fontFamily;
    int fontPointSize = 9;
    std::vector<Control> controls;

    // Appends a control and returns it, for the rarer fields to be set after.
    Control& add(int controlId, Kind kind, std::u16string text, DialogUnits::Rect rect,
                 std::string name = {}) {
        Control control;
        control.id = controlId;
        control.kind = kind;
        control.text = std::move(text);
        control.rect = rect;
        control.name = std::move(name);
        controls.push_back(std::move(control));
        return controls.back();
    }

    const Control* find(int controlId) const {
        for (const auto& control : controls) {
            if (control.id == controlId) {
                return &control;
            }
        }
        return nullptr;
    }
};

} // namespace halden
