#include "support/recording_help.h"

namespace tolvi::test {

RecordingHelp& recordingHelp() {
    static RecordingHelp h;
    return h;
}

}  // namespace tolvi::test
