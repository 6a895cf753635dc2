// The texts the program shows to the user.
#pragma once

namespace velmora::res {

inline constexpr const char* BlankField = "An edit field is blank";
inline constexpr const char* UMinNotLess = "The minimum of 'u' must be less than its maximum";
inline constexpr const char* VMinNotLess = "The minimum of 'v' must be less than its maximum";
inline constexpr const char* ErrorReadingField = "Error reading an edit field";
inline constexpr const char* WrongFileType = "Wrong file type";
inline constexpr const char* VersionUnsupported = "Version unsupported";
inline constexpr const char* FileCorrupted = "The file seems to be corrupted";
inline constexpr const char* Printing = "Printing";
inline constexpr const char* ErrorInPrinting = "Error in printing";
inline constexpr const char* PrintingCancelled = "Printing cancelled";
inline constexpr const char* ComputationHalted = "Computation halted";
inline constexpr const char* Enter = "Enter";
inline constexpr const char* Stop = "Stop";
inline constexpr const char* MainCaption = "VelmoraR4";

}  // namespace velmora::res
