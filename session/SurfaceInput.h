// The eight input texts of a surface - the four coordinate formulas x, y, z, w
// in u and v and the four bound formulas uMin, uMax, vMin, vMax - with the
// default surface, the trimming of a typed text and the messages of a read.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace velmora {

inline constexpr int kInputFields = 8;
// Field indices: the formulas first, then the bounds.
enum TInputField : int { xField, yField, zField, wField, uMinField, uMaxField, vMinField, vMaxField };

using TInputTexts = std::array<std::string, kInputFields>;

// The longest text a field takes, in characters, in the window and in
// velmora4-cli alike (a longer one is refused with readmsg::TooLong).
inline constexpr std::size_t kMaxFieldLength = 65536;

// The name of a field in messages: "x(u,v)" .. "w(u,v)", "uMin", "uMax",
// "vMin", "vMax"; "" for a number that is no field.
const char* FieldName(int field);

// The surface shown at start: a torus-like surface over [0, 2 pi] x [0, 2.2].
const TInputTexts& DefaultSurfaceTexts();

// The part of a text left when characters of code below 33 (controls and the
// blank) are removed at both ends, as [first, last) byte offsets.
std::pair<std::size_t, std::size_t> TrimRange(std::string_view text);
std::string TrimInput(std::string_view text);

// Messages of a read.
namespace readmsg {
inline constexpr const char* BlankField = "An edit field is blank";
inline constexpr const char* UMinNotLess = "The minimum of 'u' must be less than its maximum";
inline constexpr const char* VMinNotLess = "The minimum of 'v' must be less than its maximum";
// A bound that evaluates to an infinity or not-a-number, e.g. "The maximum of 'u' is not a finite number".
std::string NotFinite(TInputField bound);
// Bounds whose difference gives no usable scale of the panel (too close
// together, or too far apart to be represented).
std::string NoScale(char axis);
// Two usable axes whose diagonal overflows.
inline constexpr const char* DomainTooLarge = "The domain is too large";
// A text longer than kMaxFieldLength: "x(u,v) is longer than the limit of 65536 characters".
std::string TooLong(TInputField field);
// A coordinate that has no finite value, or no finite derivative, anywhere on
// the domain: "The values of w(u,v) are not finite numbers on the domain".
std::string NotFiniteValues(TInputField field);
}  // namespace readmsg

}  // namespace velmora
