// The texts the window shows to the user (the messages of a read are the
// surface session's, session/SurfaceInput.h).
#pragma once

namespace velmora::res {

inline constexpr const char* ErrorReadingField = "Error reading an edit field";
inline constexpr const char* WrongFileType = "Wrong file type";
inline constexpr const char* VersionUnsupported = "Version unsupported";
inline constexpr const char* FileCorrupted = "The file seems to be corrupted";
inline constexpr const char* Printing = "Printing";
inline constexpr const char* ErrorInPrinting = "Error in printing";
inline constexpr const char* PrintingCancelled = "Printing cancelled";
inline constexpr const char* ComputationHalted = "Computation halted";
inline constexpr const char* LinesSteps = "Lines: %1 steps";
inline constexpr const char* LinesStopped = "Lines stopped after %1 steps";
inline constexpr const char* Enter = "Enter";
inline constexpr const char* Stop = "Stop";
inline constexpr const char* MainCaption = "VelmoraR4";
inline constexpr const char* ImageSaved = "Image saved as %1";
inline constexpr const char* ExportCancelled = "Export cancelled";

}  // namespace velmora::res
