// 16-bit PCM: a source read a piece at a time, the channels a WAV keeps, the
// conversion to the output's format, and the chime.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "host/pcm.h"

namespace ny::testing {
namespace {

// Every byte a source gives, read `step` bytes at a time.
std::vector<char> ReadAll(PcmSource& s, size_t step) {
    std::vector<char> all, buf(step);
    for (size_t got; (got = s.read(buf.data(), step)) > 0;) {
        EXPECT_EQ(got % s.format().frameBytes(), 0u) << "a read ends inside a frame";
        all.insert(all.end(), buf.begin(), buf.begin() + got);
    }
    return all;
}

std::vector<int16_t> Samples(const std::vector<char>& bytes) {
    std::vector<int16_t> s(bytes.size() / 2);
    std::memcpy(s.data(), bytes.data(), s.size() * 2);
    return s;
}

// Pieces as a decoder would give them; `skip` bytes of the start dropped.
class Pieces final : public ChunkedSource {
public:
    Pieces(PcmFormat f, std::vector<std::vector<char>> pieces, size_t skip) : f_(f), pieces_(std::move(pieces)) {
        skip_ = skip;
    }
    PcmFormat format() const override { return f_; }

private:
    bool decodeChunk(std::vector<char>& out) override {
        if (next_ == pieces_.size()) return false;
        out = pieces_[next_++];
        return true;
    }
    PcmFormat f_;
    std::vector<std::vector<char>> pieces_;
    size_t next_ = 0;
};

// A constant or rising signal of `frames` frames.
class Signal final : public PcmSource {
public:
    Signal(PcmFormat f, size_t frames, int16_t first, int16_t rise) : f_(f), frames_(frames), v_(first), rise_(rise) {}
    PcmFormat format() const override { return f_; }
    size_t read(char* dst, size_t n) override {
        size_t k = 0;
        for (; k + f_.frameBytes() <= n && done_ < frames_; ++done_, v_ = int16_t(v_ + rise_))
            for (int c = 0; c < f_.channels; ++c, k += 2) {
                const int16_t s = int16_t(c == 0 ? v_ : -v_);  // the second channel mirrored
                std::memcpy(dst + k, &s, 2);
            }
        return k;
    }

private:
    PcmFormat f_;
    size_t frames_, done_ = 0;
    int16_t v_, rise_;
};

TEST(Pcm, FormatArithmetic) {
    EXPECT_EQ(kOutputFormat.bytesPerSec(), 176400);
    EXPECT_EQ(kOutputFormat.bytesFor(200), 35280u);      // one output buffer
    EXPECT_EQ((PcmFormat{22050, 1}).bytesFor(200), 8820u);
    EXPECT_EQ((PcmFormat{11025, 2}).bytesFor(1), 44u);   // 44.1 bytes: whole frames only
    EXPECT_EQ((PcmFormat{8000, 1}).bytesFor(0), 0u);
    EXPECT_EQ((PcmFormat{}).bytesFor(200), 0u);
}

TEST(Pcm, ChunkedSourceHandsOutEveryPieceLessItsSkip) {
    std::vector<std::vector<char>> pieces;
    std::vector<char> whole;
    for (int p = 0; p < 4; ++p) {
        pieces.emplace_back();
        for (int i = 0; i < 12 + 4 * p; ++i) pieces.back().push_back(char(whole.size() + pieces.back().size()));
        whole.insert(whole.end(), pieces.back().begin(), pieces.back().end());
    }
    struct Case {
        size_t skip, step;
    } cases[] = {{0, 4}, {0, 1000}, {8, 4}, {12, 8}, {20, 12}, {whole.size(), 4}, {whole.size() + 8, 4}};
    for (const Case& c : cases) {
        Pieces s({8000, 2}, pieces, c.skip);
        const std::vector<char> want(whole.begin() + std::min(c.skip, whole.size()), whole.end());
        EXPECT_EQ(ReadAll(s, c.step), want) << "skip " << c.skip << ", step " << c.step;
    }
    // A read smaller than a frame gives nothing rather than half a frame.
    Pieces s({8000, 2}, pieces, 0);
    char b[3];
    EXPECT_EQ(s.read(b, 3), 0u);
}

TEST(Pcm, KeepsTheFirstTwoChannels) {
    const std::vector<int16_t> six = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    struct Case {
        int channels;
        std::vector<int16_t> want;
    } cases[] = {
        {1, six},
        {2, six},
        {3, {1, 2, 4, 5, 7, 8, 10, 11}},
        {6, {1, 2, 7, 8}},
        {5, {1, 2, 6, 7}},  // the last, incomplete frame is left out
    };
    for (const Case& c : cases) {
        std::vector<char> out = {'x', 'y'};  // appended after what is there
        AppendFirstTwoChannels(six.data(), six.size(), c.channels, out);
        ASSERT_EQ(out.size(), 2 + c.want.size() * 2) << c.channels;
        EXPECT_EQ(Samples({out.begin() + 2, out.end()}), c.want) << c.channels << " channels";
    }
}

TEST(Pcm, ToOutputFormatKeepsLengthLevelAndChannels) {
    struct Case {
        PcmFormat in;
        int16_t level;
    } cases[] = {{{8000, 1}, 1000}, {{22050, 1}, -2000}, {{48000, 2}, 3000}, {{11025, 2}, 12000}};
    for (const Case& c : cases) {
        // Two seconds of a constant level (the second channel its mirror).
        auto out = ToOutputFormat(std::make_unique<Signal>(c.in, size_t(c.in.rate) * 2, c.level, 0));
        ASSERT_EQ(out->format(), kOutputFormat);
        const std::vector<int16_t> s = Samples(ReadAll(*out, 4096));
        const double seconds = s.size() / 2 / double(kOutputRate);
        EXPECT_NEAR(seconds, 2.0, 0.001) << c.in.rate;
        for (size_t i = 0; i + 1 < s.size(); i += 2) {
            ASSERT_EQ(s[i], c.level) << c.in.rate << " frame " << i / 2;
            // Mono goes to both channels; stereo keeps its second.
            ASSERT_EQ(s[i + 1], c.in.channels == 1 ? c.level : -c.level) << c.in.rate << " frame " << i / 2;
        }
    }
    // A rising input rises between its samples too: interpolated, not held.
    auto ramp = ToOutputFormat(std::make_unique<Signal>(PcmFormat{11025, 1}, 1000, 0, 20));
    const std::vector<int16_t> r = Samples(ReadAll(*ramp, 4000));
    ASSERT_GT(r.size(), 3000u);
    for (size_t i = 2; i < r.size(); i += 2) ASSERT_EQ(r[i] - r[i - 2], 5) << i / 2;
}

TEST(Pcm, OutputFormatPassesThroughUntouched) {
    auto in = std::make_unique<Signal>(kOutputFormat, 100, 5, 1);
    PcmSource* const raw = in.get();
    EXPECT_EQ(ToOutputFormat(std::move(in)).get(), raw);
}

// Mean square of samples [from, to) seconds into a mono 22.05 kHz sound.
double Energy(const std::vector<int16_t>& s, double from, double to) {
    const size_t a = size_t(from * 22050), b = size_t(to * 22050);
    double sum = 0;
    for (size_t i = a; i < b; ++i) sum += double(s[i]) * s[i];
    return sum / double(b - a);
}

TEST(Pcm, ChimeIsThreeRoundsOfTwoFadingNotes) {
    auto chime = MakeChime();
    ASSERT_EQ(chime->format(), (PcmFormat{22050, 1}));
    const std::vector<int16_t> s = Samples(ReadAll(*chime, 1000));
    ASSERT_EQ(s.size(), 3u * 22050);
    int peak = 0;
    for (int16_t v : s) peak = std::max(peak, std::abs(int(v)));
    EXPECT_GT(peak, 32767 * 0.35);  // loud enough to be heard
    EXPECT_LE(peak, 32767 * 0.46);  // never near clipping
    for (int round = 0; round < 3; ++round) {
        const double t = round;
        // Each round starts from silence: no click at its start.
        EXPECT_LT(std::abs(int(s[size_t(t * 22050)])), 50) << round;
        // The first note fades; the second comes in at 0.4 s; both fade out.
        EXPECT_GT(Energy(s, t + 0.01, t + 0.1), 2 * Energy(s, t + 0.3, t + 0.39)) << round;
        EXPECT_GT(Energy(s, t + 0.41, t + 0.5), 1.5 * Energy(s, t + 0.3, t + 0.39)) << round;
        EXPECT_GT(Energy(s, t + 0.41, t + 0.5), 4 * Energy(s, t + 0.9, t + 1.0)) << round;
    }
    // Every round the same.
    EXPECT_TRUE(std::equal(s.begin(), s.begin() + 22050, s.begin() + 22050));
}

}  // namespace
}  // namespace ny::testing
