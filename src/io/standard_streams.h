#pragma once

namespace typekiln {

/// Opens the null device on each of standard input, output and error that the tool was started
/// without, so that no file it opens later can take that number: a script opened as standard
/// input would feed the wait after an error, and a font opened as standard output would take in
/// the messages. False when one cannot be opened; the tool must not go on then.
bool OpenMissingStandardStreams();

/// True when standard input is a terminal (a console on Windows) that someone types into, not a
/// file, a pipe or the null device.
bool StandardInputIsTerminal();

}  // namespace typekiln
