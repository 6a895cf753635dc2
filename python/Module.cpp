// The Python module velmora4: TScriptSurface for NumPy users. This file only
// converts between Python and the engine's types - texts, arrays, kinds,
// exceptions - and releases Python's lock around every computation.
#include "geometry/ScalarInvariants.h"
#include "geometry/LineClass.h"
#include "platform/VelmoraTypes.h"
#include "python/ScriptSurface.h"
#include "session/Document.h"
#include "session/PointDirections.h"
#include "session/SurfaceInput.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace py = pybind11;

namespace velmora::python {
namespace {

// Results larger than this are refused before anything is allocated.
constexpr double kMaxResultBytes = 4.0 * (1u << 30);

// The names of the eight texts in messages, in field order.
constexpr std::array<const char*, kInputFields> kFieldNames = {"x",    "y",    "z",    "w",
                                                               "uMin", "uMax", "vMin", "vMax"};

// velmora4.FormulaError (a ValueError), created with the module.
PyObject* formulaErrorType = nullptr;

[[noreturn]] void RaiseFormulaError(const TInputError& error) {
    const bool named = error.field >= 0 && error.field < kInputFields;
    const std::string message = named ? std::string(kFieldNames[error.field]) + ": " + error.what() : error.what();
    py::object instance = py::reinterpret_borrow<py::object>(formulaErrorType)(message);
    instance.attr("field") = named ? py::object(py::str(kFieldNames[error.field])) : py::object(py::none());
    instance.attr("engine_message") = py::str(error.what());
    PyErr_SetObject(formulaErrorType, instance.ptr());
    throw py::error_already_set();
}

// Asked by waiting work without Python's lock: takes it and runs the signal
// handlers; true when one raised (KeyboardInterrupt for Ctrl+C), whose error
// stays pending for the caller.
bool SignalRaised() {
    py::gil_scoped_acquire gil;
    return PyErr_CheckSignals() != 0;
}

// ---- texts ----------------------------------------------------------------------

// A formula text as the 8-bit bytes the engine reads: a character outside
// Latin-1 becomes '?', which the formula language refuses.
std::string Latin1Text(py::handle text, const std::string& name) {
    if (!PyUnicode_Check(text.ptr())) throw py::type_error(name + " must be a formula text (str)");
    PyObject* bytes = PyUnicode_AsEncodedString(text.ptr(), "latin-1", "replace");
    if (bytes == nullptr) throw py::error_already_set();
    const py::bytes owned = py::reinterpret_steal<py::bytes>(bytes);
    return std::string(owned);
}

TInputTexts InputTexts(py::object x, py::object y, py::object z, py::object w, py::object u, py::object v) {
    TInputTexts texts = DefaultSurfaceTexts();
    const py::object coordinates[4] = {x, y, z, w};
    for (int i = 0; i < 4; ++i)
        if (!coordinates[i].is_none()) texts[xField + i] = Latin1Text(coordinates[i], kFieldNames[xField + i]);
    const py::object bounds[2] = {u, v};
    for (int k = 0; k < 2; ++k) {
        if (bounds[k].is_none()) continue;
        const std::string name = k == 0 ? "u" : "v";
        if (PyUnicode_Check(bounds[k].ptr()) || !PySequence_Check(bounds[k].ptr()) || py::len(bounds[k]) != 2)
            throw py::type_error(name + " must be a pair of formula texts (MIN, MAX), such as (\"0\", \"2 pi\")");
        const py::sequence pair = bounds[k];
        texts[uMinField + 2 * k] = Latin1Text(pair[0], kFieldNames[uMinField + 2 * k]);
        texts[uMaxField + 2 * k] = Latin1Text(pair[1], kFieldNames[uMaxField + 2 * k]);
    }
    return texts;
}

// ---- kinds and classes ----------------------------------------------------------

std::string InvariantChoices() {
    std::string text;
    for (const TScalarInvariant& entry : ScalarInvariants()) {
        if (!text.empty()) text += ", ";
        text += std::to_string(static_cast<int>(entry.kind)) + " or '" + entry.name + "'";
    }
    return text;
}

TInvariantKind InvariantKindArgument(py::handle kind) {
    std::string name;
    if (PyUnicode_Check(kind.ptr()))
        name = kind.cast<std::string>();
    else if (PyLong_Check(kind.ptr()) && !PyBool_Check(kind.ptr()))
        name = py::str(kind).cast<std::string>();
    else
        throw py::type_error("kind must be an invariant's number or name: " + InvariantChoices());
    const std::optional<TInvariantKind> found = InvariantKindFromName(name);
    if (!found) throw py::value_error("'" + name + "' is not an invariant: " + InvariantChoices());
    return *found;
}

TLineClass LineClassArgument(py::handle cls) {
    if (!PyLong_Check(cls.ptr()) || PyBool_Check(cls.ptr()))
        throw py::type_error("cls must be the number of a class of lines, 1 to 7");
    const long value = cls.cast<long>();
    if (value < 1 || value > 7)
        throw py::value_error("cls must be 1 curvature, 2 asymptotic, 3 mean curvature, 4 principal, "
                              "5 extremal normal deviation, 6 extremal lateral deviation or 7 strong principal "
                              "lines, not " + std::to_string(value));
    return LineClassOfTag(static_cast<int>(value));
}

// ---- arrays ---------------------------------------------------------------------

using DoubleArray = py::array_t<double, py::array::c_style>;

// u or v as an array of float64: any NumPy array of floating-point numbers, a
// sequence of them, or a Python number (with allowIntegers, also integers).
py::array FloatArray(py::handle values, const char* name, bool allowIntegers = false) {
    const py::module_ np = py::module_::import("numpy");
    const bool pythonNumber =
        (PyFloat_Check(values.ptr()) || PyLong_Check(values.ptr())) && !PyBool_Check(values.ptr());
    py::array array = np.attr("asarray")(values);
    const char kind = array.dtype().kind();
    const bool integers = kind == 'i' || kind == 'u';
    if (kind != 'f' && !pythonNumber && !(allowIntegers && integers))
        throw py::type_error(std::string(name) + " must hold floating-point numbers, not " +
                             py::str(array.dtype()).cast<std::string>() + " (convert it with astype(float))");
    return np.attr("asarray")(array, "float64");
}

// A shape as Python writes it: (3,), (2, 4).
std::string ShapeText(const std::vector<py::ssize_t>& shape) {
    std::string text = "(";
    for (std::size_t i = 0; i < shape.size(); ++i) {
        if (i > 0) text += ", ";
        text += std::to_string(shape[i]);
    }
    return text + (shape.size() == 1 ? ",)" : ")");
}

std::vector<py::ssize_t> ShapeOf(const py::array& a) { return {a.shape(), a.shape() + a.ndim()}; }

// Refuses a result of `count` items of `bytesEach` bytes that would need more
// than kMaxResultBytes.
void CheckResultSize(double count, double bytesEach, const std::string& what) {
    const double bytes = count * bytesEach;
    if (bytes > kMaxResultBytes) {
        const std::string gib = std::to_string(static_cast<long long>(std::ceil(bytes / (1u << 30))));
        throw py::value_error(what + " would need about " + gib + " GiB; at most 4 GiB is computed in one call");
    }
}

// The domain points of u and v broadcast against each other, as two
// contiguous arrays of one shape.
struct TPoints {
    std::vector<py::ssize_t> shape;
    DoubleArray u, v;
    std::size_t size() const { return static_cast<std::size_t>(u.size()); }
};

// bytesPerPoint: the size of the results of one point (the input copies are added).
TPoints BroadcastPoints(py::handle u, py::handle v, double bytesPerPoint) {
    const py::array ua = FloatArray(u, "u"), va = FloatArray(v, "v");
    const std::vector<py::ssize_t> su = ShapeOf(ua), sv = ShapeOf(va);
    std::vector<py::ssize_t> shape(std::max(su.size(), sv.size()));
    double count = 1;
    for (std::size_t k = 0; k < shape.size(); ++k) {
        const py::ssize_t a = k < su.size() ? su[su.size() - 1 - k] : 1;
        const py::ssize_t b = k < sv.size() ? sv[sv.size() - 1 - k] : 1;
        if (a != b && a != 1 && b != 1)
            throw py::value_error("u and v cannot be broadcast together: shapes " + ShapeText(su) + " and " +
                                  ShapeText(sv));
        shape[shape.size() - 1 - k] = a == 1 ? b : a;
        count *= static_cast<double>(shape[shape.size() - 1 - k]);
    }
    CheckResultSize(count, bytesPerPoint + 16, "u and v of shapes " + ShapeText(su) + " and " + ShapeText(sv) +
                                                   " give " + ShapeText(shape) + " points, which");
    const py::module_ np = py::module_::import("numpy");
    const py::tuple both = np.attr("broadcast_arrays")(ua, va);
    TPoints points;
    points.shape = shape;
    points.u = DoubleArray::ensure(np.attr("ascontiguousarray")(both[0], "float64"));
    points.v = DoubleArray::ensure(np.attr("ascontiguousarray")(both[1], "float64"));
    return points;
}

DoubleArray NewArray(std::vector<py::ssize_t> shape, py::ssize_t trailing = 0) {
    if (trailing > 0) shape.push_back(trailing);
    return DoubleArray(shape);
}

// ---- the Surface ------------------------------------------------------------------

class Surface {
public:
    explicit Surface(const TInputTexts& texts) {
        try {
            surface_ = std::make_unique<TScriptSurface>(texts, SignalRaised);
        } catch (const TInputError& e) {
            RaiseFormulaError(e);
        }
    }

    TScriptSurface& Script() const { return *surface_; }

private:
    std::unique_ptr<TScriptSurface> surface_;
};

Surface NewSurface(py::object x, py::object y, py::object z, py::object w, py::object u, py::object v) {
    return Surface(InputTexts(x, y, z, w, u, v));
}

Surface FromDocument(py::object source) {
    TDocumentRead read;
    if (py::hasattr(source, "read")) {
        // An open file: its content is read as the document's.
        if (py::hasattr(source, "closed") && source.attr("closed").cast<bool>())
            throw py::value_error("the document's file is closed");
        py::object content = source.attr("read")();
        std::string bytes = PyUnicode_Check(content.ptr()) ? Latin1Text(content, "the document")
                                                           : content.cast<std::string>();
        const std::string name = py::hasattr(source, "name") ? py::str(source.attr("name")).cast<std::string>()
                                                             : std::string("the document");
        if (bytes.size() > kMaxDocumentBytes)
            throw py::value_error(DisplayName(name) + " is larger than 1 MiB and no document");
        read = ParseDocument(bytes, DisplayName(name));
    } else {
        const std::string path = py::str(py::module_::import("os").attr("fspath")(source)).cast<std::string>();
        read = ReadDocument(path);
        if (!read) {
            std::error_code error;
            if (!std::filesystem::exists(path, error)) {
                PyErr_SetString(PyExc_FileNotFoundError, read.message.c_str());
                throw py::error_already_set();
            }
        }
    }
    if (!read) throw py::value_error(read.message);
    return Surface(read.texts);
}

int CoordinateArgument(py::handle coord) {
    if (PyUnicode_Check(coord.ptr())) {
        const std::string name = coord.cast<std::string>();
        for (int i = 0; i < 4; ++i)
            if (name == kFieldNames[i]) return i;
    } else if (PyLong_Check(coord.ptr()) && !PyBool_Check(coord.ptr())) {
        const long i = coord.cast<long>();
        if (i >= 0 && i < 4) return static_cast<int>(i);
    }
    throw py::value_error("coord must be 'x', 'y', 'z', 'w' or 0 to 3, not " + py::repr(coord).cast<std::string>());
}

int SizeArgument(py::handle size, double bytesPerPixel) {
    if (!PyLong_Check(size.ptr()) || PyBool_Check(size.ptr())) throw py::type_error("size must be a whole number");
    const long long n = size.cast<long long>();
    if (n < 1) throw py::value_error("size must be at least 1, not " + std::to_string(n));
    CheckResultSize(static_cast<double>(n) * static_cast<double>(n), bytesPerPixel,
                    "a background of " + std::to_string(n) + " x " + std::to_string(n) + " pixels");
    return static_cast<int>(n);
}

py::list Polylines(const std::vector<std::vector<Vector2>>& pieces) {
    py::list list;
    for (const std::vector<Vector2>& piece : pieces) {
        DoubleArray points({static_cast<py::ssize_t>(piece.size()), py::ssize_t{2}});
        double* out = points.mutable_data();
        for (std::size_t i = 0; i < piece.size(); ++i) {
            out[2 * i] = piece[i][0];
            out[2 * i + 1] = piece[i][1];
        }
        list.append(std::move(points));
    }
    return list;
}

// N arrays of the points' shape (with a trailing axis of `trailing` values
// when it is not 0), filled by `compute(u, v, count, out)` without Python's
// lock, returned by name.
template <std::size_t N, class Compute>
py::dict NamedArrays(const std::array<const char*, N>& names, py::handle u, py::handle v, py::ssize_t trailing,
                     Compute compute) {
    const TPoints points = BroadcastPoints(u, v, 8.0 * N * std::max<py::ssize_t>(trailing, 1));
    std::array<DoubleArray, N> arrays;
    std::array<double*, N> out{};
    for (std::size_t k = 0; k < N; ++k) {
        arrays[k] = NewArray(points.shape, trailing);
        out[k] = arrays[k].mutable_data();
    }
    {
        py::gil_scoped_release release;
        compute(points.u.data(), points.v.data(), points.size(), out);
    }
    py::dict result;
    for (std::size_t k = 0; k < N; ++k) result[names[k]] = arrays[k];
    return result;
}

py::dict Invariants(const Surface& s, py::object u, py::object v) {
    return NamedArrays(kInvariantNames, u, v, 0, [&](const double* pu, const double* pv, std::size_t n, auto& out) {
        s.Script().Invariants(pu, pv, n, out);
    });
}

py::dict Frame(const Surface& s, py::object u, py::object v) {
    return NamedArrays(kFrameNames, u, v, 4, [&](const double* pu, const double* pv, std::size_t n, auto& out) {
        s.Script().Frame(pu, pv, n, out);
    });
}

py::dict Partials(const Surface& s, py::object coord, py::object u, py::object v) {
    const int coordinate = CoordinateArgument(coord);
    return NamedArrays(kPartialNames, u, v, 0, [&](const double* pu, const double* pv, std::size_t n, auto& out) {
        s.Script().Partials(coordinate, pu, pv, n, out);
    });
}

DoubleArray Directions(const Surface& s, py::object cls, py::object u, py::object v) {
    const TLineClass c = LineClassArgument(cls);
    const int width = MaxDirections(c);
    const TPoints points = BroadcastPoints(u, v, 8.0 * width);
    DoubleArray angles = NewArray(points.shape, width);
    double* out = angles.mutable_data();
    {
        py::gil_scoped_release release;
        s.Script().Directions(c, points.u.data(), points.v.data(), points.size(), out);
    }
    return angles;
}

py::list Locus(const Surface& s, py::object kind) {
    const TLocusKind k = InvariantKindArgument(kind);
    std::vector<std::vector<Vector2>> pieces;
    {
        py::gil_scoped_release release;
        pieces = s.Script().Locus(k);
    }
    return Polylines(pieces);
}

// A point's dict: the keys and values of a line of velmora4-cli points, with
// None where that prints null.
py::dict PointDict(const TSpecialPoint& p) {
    py::dict d;
    d["u"] = p.at[0];
    d["v"] = p.at[1];
    d["kind"] = SpecialKindName(p.kind);
    d["index"] = p.IndexMeasured() ? py::object(py::float_(p.index)) : py::object(py::none());
    d["separatrices"] = p.separatrices >= 0 ? py::object(py::int_(p.separatrices)) : py::object(py::none());
    d["type"] = p.type.empty() ? py::object(py::none()) : py::object(py::str(p.type));
    if (p.origin) d["origin"] = OriginSideName(*p.origin);
    return d;
}

py::list SpecialPoints(const Surface& s, py::object cls) {
    if (!PyLong_Check(cls.ptr()) || PyBool_Check(cls.ptr()))
        throw py::type_error("cls must be the number of a class of lines, 0 to 4");
    const long value = cls.cast<long>();
    if (value < 0 || value > 4) throw py::value_error(std::string(kNoSpecialPointsOfClass) + ", not " + std::to_string(value));
    TSpecialPointsResult found;
    {
        py::gil_scoped_release release;
        found = s.Script().SpecialPoints(LineClassOfTag(static_cast<int>(value)));
    }
    if (found.capped) PyErr_WarnEx(PyExc_RuntimeWarning, SpecialPointsCapMessage().c_str(), 1);
    py::list result;
    for (const TSpecialPoint& p : found.points) result.append(PointDict(p));
    for (const TSpecialSet& set : found.sets) {
        py::dict d;
        d["kind"] = SpecialKindName(set.kind);
        if (set.everywhere)
            d["everywhere"] = true;
        else
            d["curve"] = Polylines({set.curve})[0];
        result.append(d);
    }
    return result;
}

py::list Lines(const Surface& s, py::object cls, py::object start, int foliations, long long maxPoints) {
    const TLineClass c = LineClassArgument(cls);
    const py::array at = FloatArray(start, "start", true);
    if (at.size() != 2) throw py::value_error("start must be one point (u, v)");
    const DoubleArray xy = DoubleArray::ensure(at.attr("ravel")());
    const Vector2 p{xy.at(0), xy.at(1)};
    if (!std::isfinite(p[0]) || !std::isfinite(p[1])) throw py::value_error("start must be a point of finite numbers");
    if (foliations < 1 || foliations > 3)
        throw py::value_error("foliations must be 1 (the first), 2 (the second) or 3 (both)");
    if (maxPoints < 0) throw py::value_error("max_points must be 0 (no limit) or more");
    std::vector<std::vector<Vector2>> curves;
    {
        py::gil_scoped_release release;
        curves = s.Script().Lines(c, p, foliations, maxPoints);
    }
    return Polylines(curves);
}

DoubleArray Background(const Surface& s, py::object kind, py::object size) {
    const TBackgroundType type = InvariantKindArgument(kind);
    const int n = SizeArgument(size, 8);
    DoubleArray values({py::ssize_t{n}, py::ssize_t{n}});
    double* out = values.mutable_data();
    {
        py::gil_scoped_release release;
        s.Script().BackgroundValues(type, n, out);
    }
    return values;
}

py::array_t<uint8_t> BackgroundRgb(const Surface& s, py::object kind, py::object size) {
    const TBackgroundType type = InvariantKindArgument(kind);
    const int n = SizeArgument(size, 3 + 4);
    py::array_t<uint8_t> rgb({py::ssize_t{n}, py::ssize_t{n}, py::ssize_t{3}});
    uint8_t* out = rgb.mutable_data();
    {
        py::gil_scoped_release release;
        s.Script().BackgroundRgb(type, n, out);
    }
    return rgb;
}

void Save(const Surface& s, py::object path) {
    const std::string file = py::str(py::module_::import("os").attr("fspath")(path)).cast<std::string>();
    TDocumentWrite written;
    {
        py::gil_scoped_release release;
        written = s.Script().Save(file);
    }
    if (!written) {
        PyErr_SetString(PyExc_OSError, written.message.c_str());
        throw py::error_already_set();
    }
}

py::str Latin1Str(const std::string& text) {
    PyObject* str = PyUnicode_DecodeLatin1(text.data(), static_cast<py::ssize_t>(text.size()), nullptr);
    if (str == nullptr) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(str);
}

// The texts as read, as the constructor takes them: x, y, z, w, u=(min, max), v=(min, max).
py::dict Texts(const Surface& s) {
    TInputTexts texts;
    {
        // Another thread's call may hold the surface while it waits for Python's lock.
        py::gil_scoped_release release;
        texts = s.Script().Texts();
    }
    py::dict result;
    for (int i = xField; i <= wField; ++i) result[kFieldNames[i]] = Latin1Str(texts[i]);
    result["u"] = py::make_tuple(Latin1Str(texts[uMinField]), Latin1Str(texts[uMaxField]));
    result["v"] = py::make_tuple(Latin1Str(texts[vMinField]), Latin1Str(texts[vMaxField]));
    return result;
}

// The state of a pickled Surface: the constructor's arguments.
py::tuple ConstructorArguments(const Surface& s) {
    const py::dict texts = Texts(s);
    return py::make_tuple(texts["x"], texts["y"], texts["z"], texts["w"], texts["u"], texts["v"]);
}

std::string Repr(const Surface& s) {
    const py::dict texts = Texts(s);
    std::string text = "velmora4.Surface(";
    for (const char* key : {"x", "y", "z", "w", "u", "v"}) {
        if (text.back() != '(') text += ", ";
        text += std::string(key) + "=" + py::repr(texts[key]).cast<std::string>();
    }
    return text + ")";
}

}  // namespace
}  // namespace velmora::python

PYBIND11_MODULE(velmora4, m) {
    using namespace velmora;
    using namespace velmora::python;
    m.doc() = R"doc(The differential geometry of surfaces in R^4, computed by Velmora4's compiled engine.

A Surface is given by four formulas x(u, v), y(u, v), z(u, v), w(u, v) and the
bounds of its domain, all texts of Velmora4's formula language ("2 pi",
"0.1 sen(u) sen(v)", "(u+v)^2"). Its methods take NumPy arrays of u and v of
any shapes that broadcast together and return float64 arrays of that shape,
NaN wherever a value is undefined. Grids and backgrounds run on one thread
per processor without holding Python's lock; Ctrl+C interrupts them.

    >>> import numpy as np, velmora4
    >>> s = velmora4.Surface()                  # the default surface
    >>> u, v = np.meshgrid(np.linspace(0, 6.28, 500), np.linspace(0, 2.2, 500))
    >>> K = s.invariants(u, v)["K"]             # Gauss curvature on the grid
)doc";

    formulaErrorType = PyErr_NewExceptionWithDoc(
        "velmora4.FormulaError",
        "A text of the surface could not be read. A ValueError whose message is the engine's, after the name of the "
        "field; the attributes field ('x' ... 'w', 'uMin' ... 'vMax', or None when the domain as a whole is "
        "unusable) and engine_message hold them apart.",
        PyExc_ValueError, nullptr);
    if (formulaErrorType == nullptr) throw py::error_already_set();
    m.add_object("FormulaError", py::reinterpret_borrow<py::object>(formulaErrorType));

    // An interrupted computation has ended; the KeyboardInterrupt raised by
    // the signal handler is pending.
    py::register_exception_translator([](std::exception_ptr error) {
        try {
            if (error) std::rethrow_exception(error);
        } catch (const TInterrupted&) {
            if (!PyErr_Occurred()) PyErr_SetNone(PyExc_KeyboardInterrupt);
        }
    });

    py::list invariantNames;
    for (const TScalarInvariant& entry : ScalarInvariants()) invariantNames.append(entry.name);
    m.attr("INVARIANTS") = py::tuple(invariantNames);
    m.attr("LINE_CLASSES") = py::make_tuple("curvature", "asymptotic", "mean curvature", "principal",
                                            "extremal normal deviation", "extremal lateral deviation",
                                            "strong principal");

    py::class_<Surface>(m, "Surface",
                        R"doc(A surface (x(u,v), y(u,v), z(u,v), w(u,v)) over a rectangle of the (u, v) plane.

Surface(x=None, y=None, z=None, w=None, u=None, v=None)

x, y, z, w are formula texts in u and v; u and v are pairs of formula texts
(MIN, MAX) for the bounds, e.g. u=("0", "2 pi"). Whatever is not given is
that of the default surface, a torus-like surface over [0, 2 pi] x [0, 2.2].
The texts are read as the window's "Enter" reads them: a text that cannot be
read raises FormulaError (a ValueError) with the engine's message, naming the
field.

Methods that take u and v accept NumPy arrays of floating-point numbers (or
Python numbers) of shapes that broadcast together; their results have the
broadcast shape (with a trailing axis where a value is a vector). A point with
a NaN or infinite coordinate gives NaN. One call computes at most 4 GiB of
results. A Surface may be used from several threads (its calls then take
turns); distinct Surfaces compute in parallel.)doc")
        .def(py::init(&NewSurface), py::arg("x") = py::none(), py::arg("y") = py::none(),
             py::arg("z") = py::none(), py::arg("w") = py::none(), py::arg("u") = py::none(),
             py::arg("v") = py::none())
        .def_static("from_document", &FromDocument, py::arg("path"),
                    R"doc(Reads a Velmora4 document (.vm4), as the window's File > Open does.

path is a file name (str or os.PathLike) or an open file. Raises
FileNotFoundError for a missing file, ValueError for a closed file or a file
that is no document (with the reader's message), and FormulaError for texts
that cannot be read.)doc")
        .def("save", &Save, py::arg("path"),
             R"doc(Writes the surface's texts as a Velmora4 document (.vm4).

The file is replaced only once the new one is completely written; OSError
(with the reason) when it cannot be.)doc")
        .def_property_readonly("texts", &Texts,
                               "The texts as read (trimmed): a dict with x, y, z, w and the pairs u and v.")
        .def_property_readonly(
            "domain",
            [](const Surface& s) {
                std::array<double, 4> d;
                {
                    py::gil_scoped_release release;
                    d = s.Script().Domain();
                }
                return py::make_tuple(d[0], d[1], d[2], d[3]);
            },
            "The domain's bounds as numbers: (u_min, u_max, v_min, v_max).")
        .def_property_readonly(
            "workers", [](const Surface& s) { return s.Script().Workers(); },
            "The threads that compute grids and backgrounds (one per processor).")
        .def("invariants", &Invariants, py::arg("u"), py::arg("v"),
             R"doc(The values of the window's data panel at the points (u, v).

Returns a dict of float64 arrays of the broadcast shape of u and v:
  major, minor   half axes of the curvature ellipse
  normH          |H|, the length of the mean curvature vector
  depth          depth of the origin in the ellipse (> 0 inside)
  sinHE          |sin| of the angle between H and the major axis (NaN for a circle)
  K              Gauss curvature
  disc_normal, disc_lateral, disc_strong
                 discriminants of the extremal normal deviation, extremal
                 lateral deviation and strong principal directions
All are NaN where the surface is not immersed or a value is not a number.)doc")
        .def("frame", &Frame, py::arg("u"), py::arg("v"),
             R"doc(The local frame at the points (u, v).

Returns a dict of float64 arrays of shape (..., 4): point (f(u, v)), t and Jt
(the orthonormal tangent frame: f_u/|f_u| and its turn by +90 degrees) and H,
B, C (the curvature ellipse is t -> H + B cos t + C sin t). NaN where the
metric degenerates.)doc")
        .def("partials", &Partials, py::arg("coord"), py::arg("u"), py::arg("v"),
             R"doc(A coordinate and its partial derivatives up to the third order.

coord is 'x', 'y', 'z', 'w' or 0 to 3. Returns a dict of float64 arrays: f,
fu, fv, fuu, fuv, fvv, fuuu, fuuv, fuvv, fvvv, from the symbolic derivatives
compiled for the surface.)doc")
        .def("directions", &Directions, py::arg("cls"), py::arg("u"), py::arg("v"),
             R"doc(The directions of a class of lines at the points (u, v), as angles in [0, pi).

cls: 1 curvature, 2 asymptotic, 3 mean curvature, 4 principal, 5 extremal
normal deviation, 6 extremal lateral deviation, 7 strong principal lines.
The angle a is that of the tangent cos(a) t + sin(a) Jt in the frame of
frame() for classes 1 to 6, and of the domain direction (du, dv) =
(cos a, sin a) for class 7.
Returns an array of shape (..., n), n the most directions of the class (4 for
1, 5 and 6; 5 for 7; 2 otherwise), padded with NaN where there are fewer.)doc")
        .def("locus", &Locus, py::arg("kind"),
             R"doc(The zero set of an invariant over the domain, as the Loci menu traces it.

kind is a number 0 to 6 or a name of velmora4.INVARIANTS: 0 'parabolic',
1 'semiumbilical', 2 'h-major-axis', 3 'gauss', 4 'normal-deviation',
5 'lateral-deviation', 6 'strong-principal'. Returns a list of (n, 2) arrays
of (u, v) points, one per traced piece.)doc")
        .def("points", &SpecialPoints, py::arg("cls") = 0,
             R"doc(The special points of the fields of a class of lines over the domain.

cls: 1 curvature lines (axiumbilic points), 2 asymptotic (inflection), 3 mean
curvature (inflection and minimal), 4 principal (minimal and
principal-singular), 0 every kind; degenerate points (where the metric is)
always. Returns a list of dicts as velmora4-cli points prints them: one per
point {"u", "v", "kind", "index", "separatrices", "type"} (inflection points
add "origin": "inside" or "outside"; None where a value could not be
measured), then one per set of points that is not isolated: {"kind",
"curve": (n, 2) array} or {"kind", "everywhere": True}. More than 10,000
points give a RuntimeWarning and the first ones.)doc")
        .def("lines", &Lines, py::arg("cls"), py::arg("start"), py::arg("foliations") = 3,
             py::arg("max_points") = 1000000,
             R"doc(The lines of a class through a point, as a click on the window traces them.

cls is 1 to 7 (see directions); start is (u, v) inside the domain;
foliations 1 or 2 traces one foliation, 3 both. The trace stops once
max_points points are stored (0: no limit). Returns a list of (n, 2) arrays,
one per curve; empty where the point has no direction of the class.)doc")
        .def("background", &Background, py::arg("kind"), py::arg("size"),
             R"doc(The values that the background of an invariant colours, on a size x size grid.

kind as for locus; the angle is taken by its absolute value. Row 0 is
v = v_max and row size-1 v = v_min, column 0 u = u_min and column size-1
u = u_max (the picture's orientation). NaN where the background is white.)doc")
        .def("background_rgb", &BackgroundRgb, py::arg("kind"), py::arg("size"),
             R"doc(The background of an invariant as the program paints it.

A uint8 array (size, size, 3) of red, green and blue. Pink shades for positive values, blue for negative ones, darker for larger
magnitudes; white where the value is undefined. Oriented as background().)doc")
        .def("__repr__", &Repr)
        .def(py::pickle([](const Surface& s) { return ConstructorArguments(s); },
                        [](const py::tuple& t) {
                            if (t.size() != 6) throw std::runtime_error("not the state of a velmora4.Surface");
                            return NewSurface(t[0], t[1], t[2], t[3], t[4], t[5]);
                        }));
}
