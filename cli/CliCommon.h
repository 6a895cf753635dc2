// Shared pieces of the velmora4-cli subcommands: JSON lines, point and pair
// arguments, the surface and domain options, documents.
#pragma once

#include "platform/VelmoraError.h"
#include "platform/VelmoraTypes.h"
#include "session/SurfaceInput.h"
#include "session/SurfaceSession.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

class QIODevice;

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velmora::cli {

// One JSON object, keys in insertion order, numbers with 17 significant
// digits. The JSON library holds the structure and escapes the texts; the
// numbers are written the program's way (JsonText).
class JsonLine {
public:
    JsonLine& Number(const std::string& key, double value);  // non-finite -> null
    JsonLine& Value(const std::string& key, double value);   // also UndefinedValue -> null
    JsonLine& Integer(const std::string& key, long long value);
    JsonLine& Boolean(const std::string& key, bool value);
    JsonLine& String(const std::string& key, const std::string& latin1);  // 8-bit text, written as UTF-8
    JsonLine& Null(const std::string& key);
    JsonLine& Numbers(const std::string& key, const double* values, std::size_t n, bool undefinedAsNull = true);
    // Points of the domain as [[u, v], ...] (non-finite coordinates -> null).
    JsonLine& Points(const std::string& key, const std::vector<Vector2>& points);
    JsonLine& Object(const std::string& key, const JsonLine& object);
    std::string Str() const;
    void Print() const;  // one line on standard output

private:
    nlohmann::ordered_json object_ = nlohmann::ordered_json::object();
};

// The text of a JSON value on one line, without blanks, every floating-point
// number with 17 significant digits ("%.17g", whatever the locale).
std::string JsonText(const nlohmann::ordered_json& value);

// A finite number in "C" notation (blanks and a "+" before it allowed);
// throws CLI::ValidationError.
double ParseNumber(const std::string& text);
// "U,V" -> (U, V); throws CLI::ValidationError.
Vector2 ParsePair(const std::string& text);
// Registers an option that accepts "--name U,V" and "--name=U,V", negative numbers included.
CLI::Option* AddPairOption(CLI::App* app, const std::string& name, std::vector<std::string>& target,
                           const std::string& description);

// The input of a surface: four coordinate formulas and the four bound formulas.
struct SurfaceInput {
    std::array<std::string, 4> coords;
    std::array<std::string, 4> bounds;  // uMin, uMax, vMin, vMax
    // The eight texts in the order of the surface session's fields.
    TInputTexts Texts() const;
};

// The default surface of the main window (the surface session's).
SurfaceInput DefaultSurface();

// Options --x --y --z --w --doc (and with bounds: --u MIN,MAX --v MIN,MAX).
struct SurfaceOptions {
    std::string x, y, z, w, doc, u, v;
    SurfaceInput Resolve() const;  // defaults, then the document, then the options
};
void AddSurfaceOptions(CLI::App* app, SurfaceOptions& options, bool withBounds);
// Refuses an empty value of an option ("--x ''"), which would otherwise read as
// no option at all.
CLI::Validator NotEmpty(const std::string& what);

// Reads a vm4 document (or its older headerless layout) as the window does:
// the eight texts. Throws VelmoraError with the reader's message when the
// file is refused.
SurfaceInput ReadDocument(const std::string& path);

// Prints an engine message on standard error and ends with status 2.
[[noreturn]] void FailWithEngineMessage(const std::string& message);

// Runs a subcommand's body: an engine error or any other failure prints its
// message and ends with status 2; the command line's own errors go on to CLI11.
template <typename Body>
void RunGuarded(Body body) {
    try {
        body();
    } catch (const CLI::Error&) {
        throw;
    } catch (const std::exception& e) {
        FailWithEngineMessage(e.what());
    }
}

// Writes an output file safely: `write` fills a temporary file beside `path`,
// which replaces it only when everything has reached the disk. Throws
// VelmoraError naming the file when it is no regular file (a folder, a
// device), cannot be created, or when `write` (false) or the disk fails; the
// file is then left as it was.
void SaveOutputFile(const std::string& path, const std::function<bool(QIODevice& device)>& write);

// Throws CLI::ValidationError naming `option` when p lies outside the domain of the session.
void CheckInDomain(const TSurfaceSession& session, const Vector2& p, const std::string& option);

// The surface read as the window reads it, with `workers` engine sets for
// background workers besides the set of this thread; the read's message is
// the error (VelmoraError).
std::unique_ptr<TSurfaceSession> LoadSurface(const SurfaceOptions& options, int workers);

// "0 or parabolic (depth of the origin ...), 1 ...": the kinds of the invariant table.
std::string InvariantChoices();
// Accepts a kind of the invariant table by its number or its short name.
CLI::Validator InvariantKindValidator();
// Accepts a line class with special points (0 to 4).
CLI::Validator SpecialPointClassValidator();

}  // namespace velmora::cli
