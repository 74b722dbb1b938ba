// A record of the calls engine code makes to the graphics layer, the sound layer and the cue
// tracks, for tests of the code that makes them (the interpreter and the choice menus).
//
// The test program is linked with each of these functions wrapped (wrapped_calls.def): a
// call goes to a recorder here, which notes it while an EngineCallLog is open and then passes
// it on to the real function, so the engine behaves exactly as it would unrecorded. Calls made
// from inside another recorded call (the sounds a sequence loads) and calls from other threads
// (the cue worker) are passed on without being noted.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tsuzuri::test {

// Calls are noted one string each:
//   "showScenePicture cg\a.bmp"      the name below the game folder (a path outside it is
//                                    noted as "FOLDER|NAME")
//   "SoundLoad wave\a.wav -> 3"      with the id answered (-1 for a failure)
//   "SoundRelease 3", "SoundStop 3", "SoundPlay 3 once", "SoundPlay 3 loop"
//   "SoundPlay 3 once due 5015"      with the clock time it is due, while noteDueTimes is set
//   "loadCueTrack wave\a.wao 0 -> ok" (or "-> failed")
//   "clearCueTrack 0"
//   "clearTextLayer", "drawTextPage TEXT", "stepFlash -> 1"
class EngineCallLog {
public:
    EngineCallLog();
    ~EngineCallLog();
    EngineCallLog(const EngineCallLog&) = delete;
    EngineCallLog& operator=(const EngineCallLog&) = delete;

    // The calls noted since the last take(), in order; forgets them.
    std::vector<std::string> take();

    // Paths below this game folder are noted by their names alone.
    void setGameFolder(const std::filesystem::path& folder);

    // While set, showScenePicture decodes nothing: it answers success for a picture file that
    // exists and failure for one that does not, so that stories with pictures can be run
    // whichever picture formats the decoders read.
    void fakePictures(bool fake);

    // While set, SoundPlay is noted with the clock time it is due.
    void noteDueTimes(bool note);
};

}  // namespace tsuzuri::test
