#include "host/pcm.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ny {

size_t PcmFormat::bytesFor(int ms) const {
    const size_t frame = static_cast<size_t>(frameBytes());
    if (frame == 0 || ms <= 0) return 0;
    return static_cast<size_t>(bytesPerSec()) * static_cast<size_t>(ms) / 1000 / frame * frame;
}

bool ChunkedSource::nextChunk() {
    out_.clear();
    pos_ = 0;
    return decodeChunk(out_);
}

size_t ChunkedSource::read(char* dst, size_t n) {
    size_t done = 0;
    while (done < n) {
        if (pos_ == out_.size() && !nextChunk()) break;
        if (skip_ > 0) {
            const size_t k = std::min(skip_, out_.size() - pos_);
            pos_ += k;
            skip_ -= k;
            continue;
        }
        const size_t k = std::min(n - done, out_.size() - pos_);
        std::memcpy(dst + done, out_.data() + pos_, k);
        pos_ += k;
        done += k;
    }
    const size_t frame = static_cast<size_t>(std::max(format().frameBytes(), 1));
    return done - done % frame;
}

void AppendFirstTwoChannels(const int16_t* in, size_t count, int channels, std::vector<char>& out) {
    if (channels <= 0) return;
    const size_t keep = static_cast<size_t>(std::min(channels, 2));
    for (size_t i = 0; i + channels <= count; i += channels) {
        const char* p = reinterpret_cast<const char*>(in + i);
        out.insert(out.end(), p, p + 2 * keep);
    }
}

namespace {

class Resampler final : public PcmSource {
public:
    explicit Resampler(std::unique_ptr<PcmSource> in)
        : in_(std::move(in)),
          mono_(in_->format().channels == 1),
          step_((uint64_t(in_->format().rate) << 32) / kOutputRate) {}
    PcmFormat format() const override { return kOutputFormat; }
    size_t read(char* dst, size_t n) override {
        size_t k = 0;
        for (; k + 4 <= n; k += 4) {
            // Output frame between input frames i and i + 1 (32.32 fixed point).
            while ((pos_ >> 32) + 1 >= frames_.size() / 2)
                if (!more()) return k;
            const size_t i = static_cast<size_t>(pos_ >> 32);
            const int64_t frac = static_cast<int64_t>(pos_ & 0xFFFFFFFFu);
            int16_t lr[2];
            for (int c = 0; c < 2; ++c) {
                const int64_t a = frames_[2 * i + c], b = frames_[2 * i + 2 + c];
                lr[c] = static_cast<int16_t>(a + (((b - a) * frac) >> 32));
            }
            std::memcpy(dst + k, lr, 4);
            pos_ += step_;
        }
        return k;
    }

private:
    // Drops the input frames already passed and appends the next ones.
    bool more() {
        const size_t passed = static_cast<size_t>(pos_ >> 32);
        frames_.erase(frames_.begin(), frames_.begin() + 2 * std::min(passed, frames_.size() / 2));
        pos_ -= static_cast<uint64_t>(passed) << 32;
        char buf[8192];
        const size_t got = in_->read(buf, sizeof buf);
        if (got == 0) return false;
        for (size_t at = 0; at + (mono_ ? 2 : 4) <= got; at += mono_ ? 2 : 4) {
            int16_t lr[2];
            std::memcpy(lr, buf + at, mono_ ? 2 : 4);
            if (mono_) lr[1] = lr[0];
            frames_.push_back(lr[0]);
            frames_.push_back(lr[1]);
        }
        return true;
    }

    std::unique_ptr<PcmSource> in_;
    bool mono_;
    uint64_t step_;                // input frames per output frame, 32.32
    uint64_t pos_ = 0;             // place in frames_, 32.32
    std::vector<int16_t> frames_;  // input frames, left and right
};

class Chime final : public PcmSource {
public:
    PcmFormat format() const override { return {kRate, 1}; }
    size_t read(char* dst, size_t n) override {
        const size_t total = static_cast<size_t>(kRate) * 3;  // 3 s
        size_t k = 0;
        for (; k + 2 <= n && i_ < total; k += 2, ++i_) {
            const double t = static_cast<double>(i_ % kRate) / kRate;  // within its second
            double v = Bell(t, 659.25);                                // E5
            if (t >= 0.4) v += Bell(t - 0.4, 523.25);                  // C5
            const auto s = static_cast<int16_t>(std::lround(v * 0.45 * 32767));
            std::memcpy(dst + k, &s, 2);
        }
        return k;
    }

private:
    static constexpr int kRate = 22050;
    static double Bell(double t, double f) {
        constexpr double kTwoPi = 6.283185307179586;
        const double attack = t < 0.003 ? t / 0.003 : 1.0;
        return attack * std::exp(-t * 5.0) *
               (std::sin(kTwoPi * f * t) + 0.3 * std::sin(kTwoPi * 2 * f * t) +
                0.1 * std::sin(kTwoPi * 3 * f * t)) / 1.4;
    }
    size_t i_ = 0;
};

}  // namespace

std::unique_ptr<PcmSource> ToOutputFormat(std::unique_ptr<PcmSource> in) {
    if (!in || in->format() == kOutputFormat) return in;
    return std::make_unique<Resampler>(std::move(in));
}

std::unique_ptr<PcmSource> MakeChime() { return std::make_unique<Chime>(); }

}  // namespace ny
