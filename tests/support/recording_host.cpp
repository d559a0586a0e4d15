#include "support/recording_host.h"

namespace tolvi::test {

RecordingHost& recordingHost() {
    static RecordingHost instance;
    return instance;
}

}  // namespace tolvi::test
