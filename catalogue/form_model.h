// The form description: the static, ordered list of item records every probe builds its window
// `Form1` from. The first record is the window itself, the rest are its items in creation order.
// Plain data: a probe's form is a constant table of these records, and a button names the handler
// its click runs (the program's handlers are looked up by that name when Form1 is built), so the
// survey and the tools read the forms without linking the shell. The records keep the shell's
// namespace: they are the vocabulary Form1 is built from.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <variant>

namespace kit::shell {

enum class ItemKind : std::uint8_t { Window, CommandButton, CheckBox, ActiveX };

// Controls aligned to an edge of the client area keep to it across its full width at every size.
enum class Align : std::uint8_t { None, Top, Bottom };

// Where the window opens: where the system puts a new window, or with its client area at the
// record's left/top in screen twips.
enum class Placement : std::uint8_t { SystemDefault, Fixed };

struct FontSpec {
  std::wstring_view face{};
  double points = 8.0;
  std::int16_t weight = 400;  // 400 normal, 700 bold
  bool italic = false;
  bool underline = false;
  bool strikeout = false;
  std::uint8_t charset = 0;
};

// A saved property of an ActiveX control: a named, typed value handed to it at creation
// (32-bit integer, 32-bit float, boolean, font, text).
using PropertyValue = std::variant<std::int32_t, float, bool, FontSpec, std::wstring_view>;
struct SavedProperty {
  std::wstring_view name{};
  PropertyValue value{};
};

// The form in which a control class keeps its saved state.
enum class SavedForm : std::uint8_t {
  None,           // nothing saved: the control starts from its defaults
  PropertyBag,    // named, typed values through the property-bag persistence interface
  ControlStream,  // the control's own stream format; only its readable values are kept here
};

// The initial state of an ActiveX control. For a control-stream class the kit never hands a
// control bytes it did not write itself: `bag` lists the readable values (extent, caption, font,
// text), given through the property bag when the control takes one, and otherwise the control
// starts from its defaults with its extent set.
struct SavedState {
  SavedForm form = SavedForm::None;
  std::span<const SavedProperty> bag{};    // in order
};

// The class an ActiveX record creates.
struct ControlClass {
  std::wstring_view progId{};         // names the class in messages
  std::wstring_view classId{};        // "{...}": what the control is created by
  std::wstring_view componentFile{};  // the file that holds the class, named in failure reports
  // A run-time licence key for this record alone (tests); empty in the catalogue, where the key
  // the build carries for the class (licence/embedded_keys.h) is used, or none.
  std::wstring_view licenceKey{};
};

// The name of the handler a button's click runs: one of the shell's own (standard_items.h) or one
// the program hands the shell; empty for an item that runs nothing.
using HandlerName = std::wstring_view;

struct ItemRecord {
  std::wstring_view name{};
  std::optional<std::int16_t> index{};  // place in a control array; absent for single items
  ItemKind kind = ItemKind::CommandButton;
  ControlClass control{};             // ActiveX only
  std::wstring_view caption{};
  // Twips, relative to the client area of the container. For the window: width and height of
  // its client area, and left/top only with Placement::Fixed.
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::optional<std::int16_t> tabIndex{};
  std::optional<FontSpec> font{};       // absent: the default user-interface font
  std::wstring_view container{};        // empty: the window
  SavedState saved{};                 // ActiveX only
  Align align = Align::None;
  Placement placement = Placement::SystemDefault;  // window only
  bool invisibleAtRunTime = false;    // ActiveX only: the control has no visible area
  HandlerName onClick{};              // buttons and check boxes
};

using FormDescription = std::span<const ItemRecord>;

}  // namespace kit::shell
