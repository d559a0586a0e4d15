// The bus's frame reader on what a peer may send, delivered in pieces cut at arbitrary points as
// a socket hands them over. The first two bytes choose the cuts; the rest is the stream.
//
// However the stream is cut, the reader gives the same frames and fails at the same place; each
// frame is exactly the bytes it was read from (encoded again, it gives them back), so nothing is
// read past the stream or taken twice; what stays unread is one unfinished frame at most; and a
// frame fit for the hub keeps its shape through another encoding.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/bus_protocol.h"

namespace {

using namespace tolvi::platform::busproto;

bool Same(const Frame& a, const Frame& b) { return a.type == b.type && a.fields == b.fields; }

void Drain(FrameReader& reader, std::vector<Frame>& frames) {
    while (auto f = reader.Next()) frames.push_back(std::move(*f));
    if (reader.Next()) std::abort();  // nothing more once it has said no
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    uint32_t cuts = (uint32_t(data[0]) << 8 | data[1]) * 2654435761u + 1;
    const std::string stream(reinterpret_cast<const char*>(data + 2), size - 2);

    FrameReader whole;
    std::vector<Frame> all;
    whole.Feed(stream.data(), stream.size());
    Drain(whole, all);

    FrameReader pieces;
    std::vector<Frame> got;
    for (std::size_t at = 0; at < stream.size();) {
        cuts ^= cuts << 13, cuts ^= cuts >> 17, cuts ^= cuts << 5;
        const std::size_t n = std::min<std::size_t>(stream.size() - at, 1 + cuts % 97);
        pieces.Feed(stream.data() + at, n);
        Drain(pieces, got);
        at += n;
    }
    if (got.size() != all.size() || pieces.Failed() != whole.Failed()) std::abort();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (!Same(got[i], all[i])) std::abort();

    std::string taken;
    for (const Frame& f : all) {
        const std::string bytes = Encode(f.type, f.fields);
        if (bytes.empty()) std::abort();
        taken += bytes;
        if (WellFormedForHub(f)) {
            FrameReader again;
            again.Feed(bytes.data(), bytes.size());
            const auto back = again.Next();
            if (!back || !Same(*back, f) || !WellFormedForHub(*back)) std::abort();
        }
    }
    if (stream.compare(0, taken.size(), taken) != 0) std::abort();
    // The rest: a frame still coming, or (when the reader failed) a length it cannot take.
    const std::string rest = stream.substr(taken.size());
    if (rest.size() >= 4) {
        const auto* p = reinterpret_cast<const unsigned char*>(rest.data());
        const std::size_t length =
            (std::size_t(p[0]) << 24) | (std::size_t(p[1]) << 16) | (std::size_t(p[2]) << 8) | p[3];
        const bool bad = length == 0 || length > kMaxFrame;
        if (bad != whole.Failed()) std::abort();
        if (!bad && rest.size() >= 4 + length) std::abort();
    } else if (whole.Failed()) {
        std::abort();
    }
    return 0;
}
