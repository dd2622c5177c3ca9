#pragma once

// The sound recorder as the wizard drives it: the name it is started by, the
// titles of its windows, and the wizard's instructions window, which the
// recorder keeps clear of when the wizard started it. Read by both programs.

#include <string_view>

namespace targets::recorder {

// Started under this name, found beside the wizard first, then on the search path.
inline constexpr std::string_view Program = TINDREL_RECORDER_PROGRAM;

inline constexpr std::string_view MainTitle = "Sound - Sound Recorder";
inline constexpr std::string_view PropertiesTitle = "Properties for Sound";
inline constexpr std::string_view SelectionTitle = "Sound Selection";
inline constexpr std::string_view SaveAsTitle = "Save As";
// Its question on leaving with a recording not saved.
inline constexpr std::string_view QuestionTitle = "Sound Recorder";

// The wizard's instructions window "Voice Compression Is On. Please Start
// Recording!": its client size in pixels (5655 x 1860 twips, 15 twips to a
// pixel) and its place, centred across the whole screen and (screen height -
// its outer height) / InstructionsDivisor down.
inline constexpr int InstructionsWidth = 377;
inline constexpr int InstructionsHeight = 124;
inline constexpr double InstructionsDivisor = 1.4;

} // namespace targets::recorder
