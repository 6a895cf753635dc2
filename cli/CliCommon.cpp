#include "cli/CliCommon.h"

#include "platform/VelmoraError.h"
#include "printing/FileOutput.h"
#include "session/Document.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <stdexcept>

namespace velmora::cli {

namespace {

using Json = nlohmann::ordered_json;

// A number, or null when it is not finite (or is UndefinedValue, when asked).
Json NumberOrNull(double value, bool undefinedAsNull) {
    if (!std::isfinite(value) || (undefinedAsNull && value == UndefinedValue)) return nullptr;
    return value;
}

// "%.17g" in the "C" locale.
void AppendNumber(double value, std::string& out) {
    char text[40];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 17);
    out.append(text, ec == std::errc() ? end : text);
}

void AppendJson(const Json& value, std::string& out) {
    switch (value.type()) {
        case Json::value_t::object: {
            out += '{';
            bool first = true;
            for (const auto& [key, item] : value.items()) {
                if (!first) out += ',';
                first = false;
                out += Json(key).dump();
                out += ':';
                AppendJson(item, out);
            }
            out += '}';
            break;
        }
        case Json::value_t::array: {
            out += '[';
            bool first = true;
            for (const Json& item : value) {
                if (!first) out += ',';
                first = false;
                AppendJson(item, out);
            }
            out += ']';
            break;
        }
        case Json::value_t::number_float: AppendNumber(value.get<double>(), out); break;
        default: out += value.dump(); break;  // null, booleans, integers, strings
    }
}

// 8-bit (Latin-1) text as UTF-8, the encoding of JSON.
std::string Utf8OfLatin1(const std::string& text) {
    std::string out;
    for (const unsigned char ch : text) {
        if (ch < 0x80) {
            out += static_cast<char>(ch);
        } else {
            out += static_cast<char>(0xC0 | (ch >> 6));
            out += static_cast<char>(0x80 | (ch & 0x3F));
        }
    }
    return out;
}

}  // namespace

std::string JsonText(const Json& value) {
    std::string out;
    AppendJson(value, out);
    return out;
}

JsonLine& JsonLine::Number(const std::string& key, double value) {
    object_[key] = NumberOrNull(value, false);
    return *this;
}

JsonLine& JsonLine::Value(const std::string& key, double value) {
    object_[key] = NumberOrNull(value, true);
    return *this;
}

JsonLine& JsonLine::Integer(const std::string& key, long long value) {
    object_[key] = value;
    return *this;
}

JsonLine& JsonLine::Boolean(const std::string& key, bool value) {
    object_[key] = value;
    return *this;
}

JsonLine& JsonLine::String(const std::string& key, const std::string& latin1) {
    object_[key] = Utf8OfLatin1(latin1);
    return *this;
}

JsonLine& JsonLine::Null(const std::string& key) {
    object_[key] = nullptr;
    return *this;
}

JsonLine& JsonLine::Numbers(const std::string& key, const double* values, std::size_t n, bool undefinedAsNull) {
    Json array = Json::array();
    for (std::size_t i = 0; i < n; ++i) array.push_back(NumberOrNull(values[i], undefinedAsNull));
    object_[key] = std::move(array);
    return *this;
}

JsonLine& JsonLine::Points(const std::string& key, const std::vector<Vector2>& points) {
    Json array = Json::array();
    for (const Vector2& p : points) array.push_back(Json::array({NumberOrNull(p[0], false), NumberOrNull(p[1], false)}));
    object_[key] = std::move(array);
    return *this;
}

JsonLine& JsonLine::Object(const std::string& key, const JsonLine& object) {
    object_[key] = object.object_;
    return *this;
}

std::string JsonLine::Str() const { return JsonText(object_); }

void JsonLine::Print() const {
    const std::string line = Str() + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
}

double ParseNumber(const std::string& text) {
    double value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    while (first < last && *first == ' ') ++first;
    if (first < last && *first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last) throw CLI::ValidationError("'" + text + "' is not a number");
    if (!std::isfinite(value)) throw CLI::ValidationError("'" + text + "' is not a finite number");
    return value;
}

Vector2 ParsePair(const std::string& text) {
    const auto comma = text.find(',');
    if (comma == std::string::npos || text.find(',', comma + 1) != std::string::npos)
        throw CLI::ValidationError("expected two numbers separated by a comma, got '" + text + "'");
    return {ParseNumber(text.substr(0, comma)), ParseNumber(text.substr(comma + 1))};
}

CLI::Option* AddPairOption(CLI::App* app, const std::string& name, std::vector<std::string>& target,
                           const std::string& description) {
    auto* opt = app->add_option(name, target, description);
    opt->allow_extra_args(false)->take_all();
    opt->check(CLI::Validator(
        [](std::string& s) {
            try {
                ParsePair(s);
            } catch (const CLI::ValidationError& e) {
                return std::string(e.what());
            }
            return std::string();
        },
        "U,V"));
    return opt;
}

SurfaceInput DefaultSurface() {
    const TInputTexts& texts = DefaultSurfaceTexts();
    SurfaceInput s;
    for (int i = 0; i < 4; ++i) {
        s.coords[i] = texts[xField + i];
        s.bounds[i] = texts[uMinField + i];
    }
    return s;
}

TInputTexts SurfaceInput::Texts() const {
    TInputTexts texts;
    for (int i = 0; i < 4; ++i) {
        texts[xField + i] = coords[i];
        texts[uMinField + i] = bounds[i];
    }
    return texts;
}

SurfaceInput SurfaceOptions::Resolve() const {
    SurfaceInput s = doc.empty() ? DefaultSurface() : ReadDocument(doc);
    const std::string* given[4] = {&x, &y, &z, &w};
    for (int i = 0; i < 4; ++i)
        if (!given[i]->empty()) s.coords[i] = *given[i];
    auto splitBounds = [](const std::string& text, std::string& lo, std::string& hi) {
        if (text.empty()) return;
        // Formulas may contain commas only as decimal separators inside numbers,
        // so the bounds are split at the first comma that separates two formulas:
        // the last comma not followed by a digit, or else the only comma.
        std::size_t cut = std::string::npos;
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] == ',' && !(i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1])) &&
                                    i > 0 && std::isdigit(static_cast<unsigned char>(text[i - 1]))))
                cut = i;
        if (cut == std::string::npos) cut = text.find(',');
        if (cut == std::string::npos) throw CLI::ValidationError("expected MIN,MAX, got '" + text + "'");
        lo = text.substr(0, cut);
        hi = text.substr(cut + 1);
    };
    splitBounds(u, s.bounds[0], s.bounds[1]);
    splitBounds(v, s.bounds[2], s.bounds[3]);
    return s;
}

CLI::Validator NotEmpty(const std::string& what) {
    return CLI::Validator([what](std::string& s) { return s.empty() ? "is empty: give " + what : std::string(); },
                          "");
}

void AddSurfaceOptions(CLI::App* app, SurfaceOptions& options, bool withBounds) {
    app->add_option("--x", options.x, "formula of x(u,v) (default: the default surface)")->check(NotEmpty("a formula"));
    app->add_option("--y", options.y, "formula of y(u,v)")->check(NotEmpty("a formula"));
    app->add_option("--z", options.z, "formula of z(u,v)")->check(NotEmpty("a formula"));
    app->add_option("--w", options.w, "formula of w(u,v)")->check(NotEmpty("a formula"));
    app->add_option("--doc", options.doc, "read the surface from a vm4 document")->check(NotEmpty("a file"));
    if (withBounds) {
        app->add_option("--u", options.u, "bounds of u as MIN,MAX formulas (default 0,2 pi)")
            ->check(NotEmpty("MIN,MAX"));
        app->add_option("--v", options.v, "bounds of v as MIN,MAX formulas (default 0,2.2)")
            ->check(NotEmpty("MIN,MAX"));
    }
}

void SaveOutputFile(const std::string& path, const std::function<bool(QIODevice& device)>& write) {
    const TFileOutput written = WriteFileThroughDevice(path, write);
    switch (written.result.failure) {
        case TFileWriteFailure::None: return;
        // Never written over a folder or a device such as /dev/full.
        case TFileWriteFailure::Folder:
        case TFileWriteFailure::NotRegularFile: throw VelmoraError("Cannot write " + path + ": it is not a regular file");
        case TFileWriteFailure::System:
            throw VelmoraError("Cannot write " + path + ": " + SystemErrorText(written.result.error));
        case TFileWriteFailure::Content: break;
    }
    if (!written.deviceError.isEmpty())
        throw VelmoraError("Cannot write " + path + ": " + written.deviceError.toStdString());
    throw VelmoraError("Cannot write " + path + ": its content could not be made");
}

namespace {
// The shortest text that reads back as x, for messages ("2.2", not "2.2000000000000002").
std::string ShortNumber(double x) {
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, x);
    return ec == std::errc() ? std::string(text, end) : std::string("?");
}
}  // namespace

void CheckInDomain(const TSurfaceSession& session, const Vector2& p, const std::string& option) {
    const TDomainMap& map = session.Map();
    if (p[0] >= map.min2D[0] && p[0] <= map.max2D[0] && p[1] >= map.min2D[1] && p[1] <= map.max2D[1]) return;
    throw CLI::ValidationError(option + ": " + ShortNumber(p[0]) + "," + ShortNumber(p[1]) +
                               " lies outside the domain [" + ShortNumber(map.min2D[0]) + ", " +
                               ShortNumber(map.max2D[0]) + "] x [" + ShortNumber(map.min2D[1]) + ", " +
                               ShortNumber(map.max2D[1]) + "]");
}

SurfaceInput ReadDocument(const std::string& path) {
    const TDocumentRead doc = velmora::ReadDocument(path);
    if (!doc) throw VelmoraError(doc.message);
    SurfaceInput s;
    for (int i = 0; i < 4; ++i) {
        s.coords[i] = doc.texts[xField + i];
        s.bounds[i] = doc.texts[uMinField + i];
    }
    return s;
}

std::unique_ptr<TSurfaceSession> LoadSurface(const SurfaceOptions& options, int workers) {
    const SurfaceInput input = options.Resolve();
    auto session = std::make_unique<TSurfaceSession>(workers);
    session->SetInputTexts(input.Texts());
    if (const TReadResult read = session->ReadData(); !read) throw VelmoraError(read.message);
    return session;
}

std::string InvariantChoices() {
    std::string text;
    for (const TScalarInvariant& entry : ScalarInvariants()) {
        if (!text.empty()) text += ", ";
        text += std::to_string(static_cast<int>(entry.kind)) + " or " + entry.name + " (" + entry.description + ")";
    }
    return text;
}

CLI::Validator InvariantKindValidator() {
    return CLI::Validator(
        [](std::string& s) {
            return InvariantKindFromName(s) ? std::string() : "'" + s + "' is not an invariant: " + InvariantChoices();
        },
        "KIND");
}

CLI::Validator SpecialPointClassValidator() {
    return CLI::Validator(
        [](std::string& s) {
            const bool known = s.size() == 1 && s[0] >= '0' && s[0] <= '9';
            return known && HasSpecialPoints(LineClassOfTag(s[0] - '0')) ? std::string()
                                                                          : std::string(kNoSpecialPointsOfClass);
        },
        "CLASS");
}

void FailWithEngineMessage(const std::string& message) {
    std::cerr << message << std::endl;
    std::exit(2);
}

}  // namespace velmora::cli
