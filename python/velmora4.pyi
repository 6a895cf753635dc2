"""The differential geometry of surfaces in R^4, computed by Velmora4's compiled engine."""

import os
from typing import IO, Any, Literal, Sequence, SupportsFloat, Tuple, Union

import numpy as np
import numpy.typing as npt

FloatArray = npt.NDArray[np.float64]
ArrayLike = Union[npt.ArrayLike, float]
InvariantKind = Union[int, str]
TextPair = Tuple[str, str]

INVARIANTS: Tuple[str, ...]
LINE_CLASSES: Tuple[str, ...]

class FormulaError(ValueError):
    """A text of the surface could not be read."""

    field: str | None
    engine_message: str

class Surface:
    """A surface (x(u,v), y(u,v), z(u,v), w(u,v)) over a rectangle of the (u, v) plane."""

    def __init__(
        self,
        x: str | None = None,
        y: str | None = None,
        z: str | None = None,
        w: str | None = None,
        u: Sequence[str] | None = None,
        v: Sequence[str] | None = None,
    ) -> None: ...
    @staticmethod
    def from_document(path: Union[str, os.PathLike[str], IO[bytes], IO[str]]) -> Surface:
        """Reads a Velmora4 document (.vm4)."""
    def save(self, path: Union[str, os.PathLike[str]]) -> None:
        """Writes the surface's texts as a Velmora4 document (.vm4)."""
    @property
    def texts(self) -> dict[str, Union[str, TextPair]]:
        """The texts as read: x, y, z, w and the pairs u and v."""
    @property
    def domain(self) -> Tuple[float, float, float, float]:
        """(u_min, u_max, v_min, v_max)."""
    @property
    def workers(self) -> int:
        """The threads that compute grids and backgrounds."""
    def invariants(self, u: ArrayLike, v: ArrayLike) -> dict[str, FloatArray]:
        """major, minor, normH, depth, sinHE, K, disc_normal, disc_lateral, disc_strong at the points."""
    def frame(self, u: ArrayLike, v: ArrayLike) -> dict[str, FloatArray]:
        """point, t, Jt, H, B, C at the points, each of shape (..., 4)."""
    def partials(self, coord: Union[Literal["x", "y", "z", "w"], int], u: ArrayLike, v: ArrayLike) -> dict[str, FloatArray]:
        """f, fu, fv, fuu, fuv, fvv, fuuu, fuuv, fuvv, fvvv of one coordinate."""
    def directions(self, cls: int, u: ArrayLike, v: ArrayLike) -> FloatArray:
        """The direction angles of a class of lines (in the frame; class 7 in the domain), shape (..., n), NaN-padded."""
    def locus(self, kind: InvariantKind) -> list[FloatArray]:
        """The zero set of an invariant as (n, 2) arrays of (u, v)."""
    def points(self, cls: int = 0) -> list[dict[str, Any]]:
        """The special points of a class of lines (0 every kind, 1 to 4), as dicts."""
    def lines(
        self,
        cls: int,
        start: Union[Sequence[SupportsFloat], npt.ArrayLike],
        foliations: int = 3,
        max_points: int = 1000000,
    ) -> list[FloatArray]:
        """The lines of a class through a point, as (n, 2) arrays of (u, v)."""
    def background(self, kind: InvariantKind, size: int) -> FloatArray:
        """The values a background colours, (size, size), row 0 at v_max."""
    def background_rgb(self, kind: InvariantKind, size: int) -> npt.NDArray[np.uint8]:
        """The background as the program paints it, (size, size, 3) uint8."""
