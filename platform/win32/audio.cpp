// Sound, one channel. An MP3 is decoded by the system's ACM MP3 codec a
// second at a time and played as 16-bit PCM through waveOut: no media
// framework between the file and the speaker, so it starts at once and
// works wherever Windows (or Wine) has its MP3 codec. A WAV is read the same
// way: plain PCM converted in code, the compressed kinds (ADPCM, µ-law,
// A-law) by the system's ACM codec for them. MP3 files the codec cannot
// take go to MCI's mpegvideo device as before. A tone is opened on a thread
// of its own and started by the window's thread, which never waits for a
// file. The chime is made in code.
#include <windows.h>

#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <memory>
#include <type_traits>
#include <vector>

#include "host/devicepath.h"
#include "host/mp3.h"
#include "host/wav.h"
#include "platform/win32/syslibs.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/wstr.h"

namespace ny {

namespace {

// ---- msacm32, loaded with the first MP3 rather than at start ---------------

struct AcmApi {
    bool ok = false;
    decltype(&acmStreamOpen) open = nullptr;
    decltype(&acmStreamSize) size = nullptr;
    decltype(&acmStreamPrepareHeader) prepare = nullptr;
    decltype(&acmStreamConvert) convert = nullptr;
    decltype(&acmStreamUnprepareHeader) unprepare = nullptr;
    decltype(&acmStreamClose) close = nullptr;
    decltype(&acmDriverID) driverId = nullptr;
    decltype(&acmDriverOpen) driverOpen = nullptr;
};

// The driver that decoded the first MP3, kept open: asked with no driver,
// acmStreamOpen opens and tries every installed codec each time (10-15 ms).
// Tones are opened off the window's thread: the lock keeps two openings from
// setting it at once.
HACMDRIVER g_mp3Driver = nullptr;
SRWLOCK g_mp3DriverLock = SRWLOCK_INIT;

const AcmApi& Acm() {
    static const AcmApi api = [] {
        AcmApi a;
        HMODULE dll = LoadSystemDll(L"msacm32.dll");
        if (!dll) return a;
        auto get = [dll](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(
                reinterpret_cast<void*>(GetProcAddress(dll, name)));
            return fn != nullptr;
        };
        a.ok = get(a.open, "acmStreamOpen") && get(a.size, "acmStreamSize") &&
               get(a.prepare, "acmStreamPrepareHeader") && get(a.convert, "acmStreamConvert") &&
               get(a.unprepare, "acmStreamUnprepareHeader") && get(a.close, "acmStreamClose") &&
               get(a.driverId, "acmDriverID") && get(a.driverOpen, "acmDriverOpen");
        return a;
    }();
    return api;
}

}  // namespace

// ---- sources of PCM ------------------------------------------------------------

class PcmSource {
public:
    virtual ~PcmSource() = default;
    virtual const WAVEFORMATEX& format() const = 0;
    // Up to n bytes of PCM (whole samples); 0 when the sound is over.
    virtual size_t read(char* dst, size_t n) = 0;
};

namespace {

WAVEFORMATEX Pcm16(int rate, int channels) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = static_cast<WORD>(channels);
    f.nSamplesPerSec = static_cast<DWORD>(rate);
    f.wBitsPerSample = 16;
    f.nBlockAlign = static_cast<WORD>(2 * channels);
    f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
    return f;
}

// An MP3 file decoded by ACM about a second at a time, so that a long file
// costs no more memory than a short one.
class Mp3Source final : public PcmSource {
public:
    // nullptr when the file is not MP3 audio the codec can decode. `mayTryMci`
    // tells whether MCI may have a go at it: an MP3 the codec refused, or a
    // small file on a disk that holds no MP3 audio and starts with no ID3
    // tag (another kind of sound).
    static std::unique_ptr<Mp3Source> Open(const std::wstring& path, bool* mayTryMci) {
        std::unique_ptr<Mp3Source> s(new Mp3Source);
        if (s->open(path)) return s;
        *mayTryMci = s->mayTryMci_;
        return nullptr;
    }
    ~Mp3Source() override {
        if (acm_) {
            if (hdr_.fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED) {
                hdr_.cbSrcLength = static_cast<DWORD>(src_.size());
                hdr_.cbDstLength = static_cast<DWORD>(dst_.size());
                Acm().unprepare(acm_, &hdr_, 0);
            }
            Acm().close(acm_, 0);
        }
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    }
    const WAVEFORMATEX& format() const override { return pcm_; }

    size_t read(char* dst, size_t n) override {
        size_t done = 0;
        while (done < n) {
            if (pos_ == out_.size() && !decodeChunk()) break;
            if (skip_ > 0) {  // the encoder's and the decoder's silence
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
        return done - done % pcm_.nBlockAlign;
    }

private:
    Mp3Source() = default;

    bool open(const std::wstring& path) {
        file_ = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        LARGE_INTEGER size{};
        if (file_ == INVALID_HANDLE_VALUE || !GetFileSizeEx(file_, &size)) return false;
        // A pipe, a console or a port can block a read for ever: files only.
        if (GetFileType(file_) != FILE_TYPE_DISK) return false;
        auto info = ProbeMp3(
            [this](uint64_t at, char* buf, size_t n) -> size_t {
                LARGE_INTEGER to;
                to.QuadPart = static_cast<LONGLONG>(at);
                DWORD got = 0;
                if (!SetFilePointerEx(file_, to, nullptr, FILE_BEGIN) ||
                    !ReadFile(file_, buf, static_cast<DWORD>(n), &got, nullptr))
                    return 0;
                return got;
            },
            static_cast<uint64_t>(size.QuadPart));
        // A file of tags without sound is no other kind of sound either.
        char head[3] = {};
        LARGE_INTEGER zero{};
        DWORD got = 0;
        const bool tagged = SetFilePointerEx(file_, zero, nullptr, FILE_BEGIN) &&
                            ReadFile(file_, head, 3, &got, nullptr) && got == 3 &&
                            std::memcmp(head, "ID3", 3) == 0;
        mayTryMci_ = info || (!tagged && static_cast<uint64_t>(size.QuadPart) <= kMciMaxOtherBytes);
        if (!info || !Acm().ok) return false;
        const Mp3Frame& f = info->frame;

        MPEGLAYER3WAVEFORMAT mp3{};
        mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
        mp3.wfx.nChannels = static_cast<WORD>(f.channels);
        mp3.wfx.nSamplesPerSec = static_cast<DWORD>(f.sampleRate);
        mp3.wfx.nAvgBytesPerSec = static_cast<DWORD>(f.bitrateKbps * 1000 / 8);
        mp3.wfx.nBlockAlign = 1;
        mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
        mp3.wID = MPEGLAYER3_ID_MPEG;
        mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
        mp3.nBlockSize = static_cast<WORD>(f.frameBytes - (f.padding ? 1 : 0));
        mp3.nFramesPerBlock = 1;
        mp3.nCodecDelay = 0;
        pcm_ = Pcm16(f.sampleRate, f.channels);
        // Files that say how much silence their encoder put first (LAME's
        // tag) start with the sound: that and the decoder's own 529 samples
        // go. At 8 kHz they are 0.14 s.
        if (info->encoderDelay >= 0)
            skip_ = static_cast<size_t>(info->encoderDelay + kDecoderDelay) * pcm_.nBlockAlign;
        const DWORD flags = ACM_STREAMOPENF_NONREALTIME;
        AcquireSRWLockExclusive(&g_mp3DriverLock);
        const bool opened = openCodec(mp3, flags);
        ReleaseSRWLockExclusive(&g_mp3DriverLock);
        if (!opened) return false;
        // About a second of the file per conversion.
        src_.resize(std::max<size_t>(4096, static_cast<size_t>(f.bitrateKbps) * 125));
        DWORD dstBytes = 0;
        if (Acm().size(acm_, static_cast<DWORD>(src_.size()), &dstBytes, ACM_STREAMSIZEF_SOURCE) != 0 ||
            dstBytes == 0)
            return false;
        dst_.resize(dstBytes);
        hdr_.cbStruct = sizeof hdr_;
        hdr_.pbSrc = reinterpret_cast<LPBYTE>(src_.data());
        hdr_.cbSrcLength = static_cast<DWORD>(src_.size());
        hdr_.pbDst = reinterpret_cast<LPBYTE>(dst_.data());
        hdr_.cbDstLength = static_cast<DWORD>(dst_.size());
        if (Acm().prepare(acm_, &hdr_, 0) != 0) return false;

        LARGE_INTEGER start;
        start.QuadPart = static_cast<LONGLONG>(info->audioStart);
        if (!SetFilePointerEx(file_, start, nullptr, FILE_BEGIN)) return false;
        // The first second now: what the codec cannot decode fails here,
        // before anyone relies on hearing it.
        return decodeChunk();
    }

    bool openCodec(MPEGLAYER3WAVEFORMAT& mp3, DWORD flags) {
        if (g_mp3Driver && Acm().open(&acm_, g_mp3Driver, &mp3.wfx, &pcm_, nullptr, 0, 0, flags) == 0)
            return true;
        if (Acm().open(&acm_, nullptr, &mp3.wfx, &pcm_, nullptr, 0, 0, flags) != 0) {
            acm_ = nullptr;
            return false;
        }
        HACMDRIVERID id = nullptr;
        if (!g_mp3Driver && Acm().driverId(reinterpret_cast<HACMOBJ>(acm_), &id, 0) == 0)
            Acm().driverOpen(&g_mp3Driver, id, 0);
        return true;
    }

    // Replaces the decoded PCM with the next chunk. False at the end.
    bool decodeChunk() {
        out_.clear();
        pos_ = 0;
        // A few rounds at most: the codec may hold a frame back for the next call.
        for (int round = 0; round < 4 && out_.empty() && !ended_; ++round) {
            if (!eof_) {
                DWORD got = 0;
                if (!ReadFile(file_, src_.data() + fill_, static_cast<DWORD>(src_.size() - fill_), &got,
                              nullptr))
                    got = 0;
                fill_ += got;
                if (fill_ < src_.size()) eof_ = true;
            }
            hdr_.cbSrcLength = static_cast<DWORD>(fill_);
            hdr_.cbSrcLengthUsed = 0;
            hdr_.cbDstLengthUsed = 0;
            DWORD flags = eof_ ? ACM_STREAMCONVERTF_END : ACM_STREAMCONVERTF_BLOCKALIGN;
            if (first_) flags |= ACM_STREAMCONVERTF_START;
            first_ = false;
            if (Acm().convert(acm_, &hdr_, flags) != 0) {
                ended_ = true;
                break;
            }
            const size_t used = std::min<size_t>(hdr_.cbSrcLengthUsed, fill_);
            std::memmove(src_.data(), src_.data() + used, fill_ - used);
            fill_ -= used;
            // The codec's count is not trusted beyond the buffer it was given.
            out_.assign(dst_.data(), dst_.data() + std::min<size_t>(hdr_.cbDstLengthUsed, dst_.size()));
            if (out_.empty() && (eof_ || used == 0)) ended_ = true;
        }
        return !out_.empty();
    }

    HANDLE file_ = INVALID_HANDLE_VALUE;
    HACMSTREAM acm_ = nullptr;
    ACMSTREAMHEADER hdr_{};
    WAVEFORMATEX pcm_{};
    std::vector<char> src_, dst_;
    size_t fill_ = 0;       // bytes of src_ waiting for the codec
    std::vector<char> out_;  // the decoded chunk
    size_t pos_ = 0;        // how much of it has been handed out
    size_t skip_ = 0;       // bytes still to drop from the start
    static constexpr int kDecoderDelay = 529;  // samples, every Layer III decoder
    // Files without MP3 audio larger than this are not handed to MCI either
    // (megabytes of tags or zeros kept it busy for minutes).
    static constexpr uint64_t kMciMaxOtherBytes = 4 * 1024 * 1024;
    bool first_ = true, eof_ = false, ended_ = false;
    bool mayTryMci_ = false;
};

// Reads n bytes at `at`; what it got (0 on failure).
size_t ReadAt(HANDLE file, uint64_t at, char* buf, size_t n) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(at);
    DWORD got = 0;
    if (!SetFilePointerEx(file, to, nullptr, FILE_BEGIN) ||
        !ReadFile(file, buf, static_cast<DWORD>(n), &got, nullptr))
        return 0;
    return got;
}

// A RIFF/WAVE file as 16-bit PCM of at most two channels, about a second at
// a time: plain PCM converted here, other codings by the ACM codec that
// takes them (opened from the file's own format description).
class WavSource final : public PcmSource {
public:
    static std::unique_ptr<WavSource> Open(const std::wstring& path, ToneProblem* why) {
        std::unique_ptr<WavSource> s(new WavSource);
        *why = s->open(path);
        if (*why == ToneProblem::None) return s;
        return nullptr;
    }
    ~WavSource() override {
        if (acm_) {
            if (hdr_.fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED) {
                hdr_.cbSrcLength = static_cast<DWORD>(src_.size());
                hdr_.cbDstLength = static_cast<DWORD>(dst_.size());
                Acm().unprepare(acm_, &hdr_, 0);
            }
            Acm().close(acm_, 0);
        }
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    }
    const WAVEFORMATEX& format() const override { return pcm_; }

    size_t read(char* dst, size_t n) override {
        size_t done = 0;
        while (done < n) {
            if (pos_ == out_.size() && !decodeChunk()) break;
            const size_t k = std::min(n - done, out_.size() - pos_);
            std::memcpy(dst + done, out_.data() + pos_, k);
            pos_ += k;
            done += k;
        }
        return done - done % pcm_.nBlockAlign;
    }

private:
    WavSource() = default;

    ToneProblem open(const std::wstring& path) {
        file_ = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        LARGE_INTEGER size{};
        if (file_ == INVALID_HANDLE_VALUE || !GetFileSizeEx(file_, &size) ||
            GetFileType(file_) != FILE_TYPE_DISK)
            return ToneProblem::CannotOpen;
        const auto info = ProbeWav(
            [this](uint64_t at, char* buf, size_t n) { return ReadAt(file_, at, buf, n); },
            static_cast<uint64_t>(size.QuadPart));
        if (!info) return ToneProblem::NotSound;
        f_ = info->format;
        left_ = info->dataBytes;
        const int channels = std::min(f_.channels, 2);
        pcm_ = Pcm16(static_cast<int>(f_.sampleRate), channels);
        // About a second of the file per read, in whole blocks.
        const size_t perSecond = std::clamp<size_t>(f_.avgBytesPerSec, 4096, 1 << 20);
        src_.resize(std::max<size_t>(perSecond / f_.blockAlign, 1) * f_.blockAlign);
        if (!IsPlainPcm(f_)) {
            // Codecs decode to as many channels as they were given.
            if (f_.channels > 2 || !Acm().ok) return ToneProblem::NotSound;
            std::string wfx(sizeof(WAVEFORMATEX) + f_.extra.size(), '\0');
            auto* in = reinterpret_cast<WAVEFORMATEX*>(wfx.data());
            in->wFormatTag = f_.tag;
            in->nChannels = static_cast<WORD>(f_.channels);
            in->nSamplesPerSec = f_.sampleRate;
            in->nAvgBytesPerSec = f_.avgBytesPerSec;
            in->nBlockAlign = static_cast<WORD>(f_.blockAlign);
            in->wBitsPerSample = static_cast<WORD>(f_.bitsPerSample);
            in->cbSize = static_cast<WORD>(f_.extra.size());
            std::memcpy(wfx.data() + sizeof(WAVEFORMATEX), f_.extra.data(), f_.extra.size());
            if (Acm().open(&acm_, nullptr, in, &pcm_, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != 0) {
                acm_ = nullptr;
                return ToneProblem::NotSound;
            }
            DWORD dstBytes = 0;
            if (Acm().size(acm_, static_cast<DWORD>(src_.size()), &dstBytes, ACM_STREAMSIZEF_SOURCE) != 0 ||
                dstBytes == 0)
                return ToneProblem::NotSound;
            dst_.resize(dstBytes);
            hdr_.cbStruct = sizeof hdr_;
            hdr_.pbSrc = reinterpret_cast<LPBYTE>(src_.data());
            hdr_.cbSrcLength = static_cast<DWORD>(src_.size());
            hdr_.pbDst = reinterpret_cast<LPBYTE>(dst_.data());
            hdr_.cbDstLength = static_cast<DWORD>(dst_.size());
            if (Acm().prepare(acm_, &hdr_, 0) != 0) return ToneProblem::NotSound;
        }
        LARGE_INTEGER start;
        start.QuadPart = static_cast<LONGLONG>(info->dataStart);
        if (!SetFilePointerEx(file_, start, nullptr, FILE_BEGIN)) return ToneProblem::CannotOpen;
        // The first second now: what cannot be decoded fails here.
        return decodeChunk() ? ToneProblem::None : ToneProblem::NotSound;
    }

    // Replaces the decoded PCM with the next chunk. False at the end.
    bool decodeChunk() {
        out_.clear();
        pos_ = 0;
        for (int round = 0; round < 4 && out_.empty() && !ended_; ++round) {
            const size_t want = static_cast<size_t>(std::min<uint64_t>(src_.size() - fill_, left_));
            DWORD got = 0;
            if (want > 0 && !ReadFile(file_, src_.data() + fill_, static_cast<DWORD>(want), &got, nullptr))
                got = 0;
            fill_ += got;
            left_ = got < want ? 0 : left_ - got;  // a file shorter than it said ends here
            const bool last = left_ == 0;
            if (IsPlainPcm(f_)) {
                const size_t whole = fill_ - fill_ % f_.blockAlign;
                if (whole == 0) {
                    ended_ = true;
                    break;
                }
                samples_.resize(whole / (f_.bitsPerSample / 8));
                samples_.resize(PcmTo16(f_, src_.data(), whole, samples_.data()));
                keepChannels(samples_.data(), samples_.size(), f_.channels);
                std::memmove(src_.data(), src_.data() + whole, fill_ - whole);
                fill_ -= whole;
                if (last) ended_ = true;
                continue;
            }
            hdr_.cbSrcLength = static_cast<DWORD>(fill_);
            hdr_.cbSrcLengthUsed = 0;
            hdr_.cbDstLengthUsed = 0;
            DWORD flags = last ? ACM_STREAMCONVERTF_END : ACM_STREAMCONVERTF_BLOCKALIGN;
            if (first_) flags |= ACM_STREAMCONVERTF_START;
            first_ = false;
            if (fill_ == 0 || Acm().convert(acm_, &hdr_, flags) != 0) {
                ended_ = true;
                break;
            }
            const size_t used = std::min<size_t>(hdr_.cbSrcLengthUsed, fill_);
            std::memmove(src_.data(), src_.data() + used, fill_ - used);
            fill_ -= used;
            out_.assign(dst_.data(), dst_.data() + std::min<size_t>(hdr_.cbDstLengthUsed, dst_.size()));
            if (out_.empty() && (last || used == 0)) ended_ = true;
        }
        return !out_.empty();
    }

    // The first two channels of each frame go out (a file of more is rare).
    void keepChannels(const int16_t* in, size_t count, int channels) {
        const int keep = std::min(channels, 2);
        for (size_t i = 0; i + channels <= count; i += channels) {
            const char* p = reinterpret_cast<const char*>(in + i);
            out_.insert(out_.end(), p, p + 2 * keep);
        }
    }

    HANDLE file_ = INVALID_HANDLE_VALUE;
    WavFormat f_;
    uint64_t left_ = 0;  // bytes of sound not yet read
    HACMSTREAM acm_ = nullptr;
    ACMSTREAMHEADER hdr_{};
    WAVEFORMATEX pcm_{};
    std::vector<char> src_, dst_;
    std::vector<int16_t> samples_;
    size_t fill_ = 0;
    std::vector<char> out_;
    size_t pos_ = 0;
    bool first_ = true, ended_ = false;
};

// Any 16-bit PCM as 44.1 kHz stereo (linear interpolation). waveOut takes
// other rates and mono too, but under Wine opening the device for them costs
// a converter set up behind it, up to 0.1 s more before the first sound.
constexpr int kOutRate = 44100;
class ToOutputFormat final : public PcmSource {
public:
    explicit ToOutputFormat(std::unique_ptr<PcmSource> in)
        : in_(std::move(in)),
          out_(Pcm16(kOutRate, 2)),
          mono_(in_->format().nChannels == 1),
          step_((uint64_t(in_->format().nSamplesPerSec) << 32) / kOutRate) {}
    const WAVEFORMATEX& format() const override { return out_; }
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
    WAVEFORMATEX out_;
    bool mono_;
    uint64_t step_;            // input frames per output frame, 32.32
    uint64_t pos_ = 0;         // place in frames_, 32.32
    std::vector<int16_t> frames_;  // input frames, left and right
};

// The chime: three rounds of a two-note bell, made sample by sample. Tones
// an MP3 file could hold are higher, so a listener (and a test) tells it apart.
class ChimeSource final : public PcmSource {
public:
    ChimeSource() : pcm_(Pcm16(kRate, 1)) {}
    const WAVEFORMATEX& format() const override { return pcm_; }
    size_t read(char* dst, size_t n) override {
        const size_t total = static_cast<size_t>(kRate) * 3;  // 3 s
        size_t k = 0;
        for (; k + 2 <= n && i_ < total; k += 2, ++i_) {
            const double t = static_cast<double>(i_ % (kRate)) / kRate;  // within its second
            double v = Bell(t, 659.25);                                 // E5
            if (t >= 0.4) v += Bell(t - 0.4, 523.25);                   // C5
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
    WAVEFORMATEX pcm_;
    size_t i_ = 0;
};

// ---- the output ------------------------------------------------------------------

// waveOut tells a hidden window of ours when a buffer has played; the refill
// runs on the user-interface thread, between events, like everything else.
constexpr UINT kBuffers = 4;
constexpr UINT kBufferMs = 200;

}  // namespace

struct Playback {
    std::wstring path;  // empty for the chime
    std::unique_ptr<PcmSource> source;
    HWAVEOUT out = nullptr;
    WAVEHDR hdrs[kBuffers] = {};
    std::vector<char> data[kBuffers];
    UINT queued = 0;  // buffers with the device
    bool started = false;

    ~Playback() {
        if (!out) return;
        Winmm().waveOutReset(out);  // silence now, every buffer returned
        for (WAVEHDR& h : hdrs)
            if (h.dwFlags & WHDR_PREPARED) Winmm().waveOutUnprepareHeader(out, &h, sizeof h);
        Winmm().waveOutClose(out);
    }

    // Fills buffer i from the source and hands it to the device; false at the end.
    bool feed(UINT i) {
        WAVEHDR& h = hdrs[i];
        if (h.dwFlags & WHDR_PREPARED) Winmm().waveOutUnprepareHeader(out, &h, sizeof h);
        const size_t n = source->read(data[i].data(), data[i].size());
        if (n == 0) return false;
        h = WAVEHDR{};
        h.lpData = data[i].data();
        h.dwBufferLength = static_cast<DWORD>(n);
        if (Winmm().waveOutPrepareHeader(out, &h, sizeof h) != MMSYSERR_NOERROR) return false;
        if (Winmm().waveOutWrite(out, &h, sizeof h) != MMSYSERR_NOERROR) {
            Winmm().waveOutUnprepareHeader(out, &h, sizeof h);
            return false;
        }
        ++queued;
        return true;
    }
};

void PlaybackDeleter::operator()(Playback* p) const { delete p; }

namespace {

// Messages to the hidden audio window: tones opened by the opener thread
// wait to be collected; a request served at once is answered.
constexpr UINT WMAPP_TONES_OPENED = WM_APP + 10;
constexpr UINT WMAPP_SOUND_ANSWER = WM_APP + 11;
// The timer of a sound that must start soon (requestMp3's giveUpMs).
constexpr UINT_PTR kGiveUpTimer = 1;

}  // namespace

LRESULT CALLBACK Win32Host::AudioProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* host = reinterpret_cast<Win32Host*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!host) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case MM_WOM_DONE:
            host->onWaveDone(reinterpret_cast<HWAVEOUT>(wp), reinterpret_cast<WAVEHDR*>(lp));
            return 0;
        case WMAPP_TONES_OPENED: host->onTonesOpened(); return 0;
        case WMAPP_SOUND_ANSWER:
            if (static_cast<int>(wp) == host->soundRequest_) host->answerSound(lp != 0);
            return 0;
        case WM_TIMER:
            if (wp == kGiveUpTimer) host->giveUpSound();
            return 0;
        default: return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

namespace {

// The device opened and the first buffers filled, not yet written.
PlaybackPtr OpenPlayback(HWND notify, std::unique_ptr<PcmSource> source, std::wstring path) {
    PlaybackPtr p(new Playback);
    p->path = std::move(path);
    const WAVEFORMATEX& in = source->format();
    if (in.nSamplesPerSec != kOutRate || in.nChannels != 2)
        source = std::make_unique<ToOutputFormat>(std::move(source));
    p->source = std::move(source);
    const WAVEFORMATEX& f = p->source->format();
    if (!notify || Winmm().waveOutOpen(&p->out, WAVE_MAPPER, &f, reinterpret_cast<DWORD_PTR>(notify), 0,
                               CALLBACK_WINDOW) != MMSYSERR_NOERROR) {
        p->out = nullptr;
        return nullptr;
    }
    const size_t bytes = f.nAvgBytesPerSec * kBufferMs / 1000 / f.nBlockAlign * f.nBlockAlign;
    for (auto& d : p->data) d.resize(bytes);
    return p;
}

// The path goes in a structure, never into a command string, so no
// character of it can be read as MCI syntax. 0 when it cannot be opened or
// holds no sound (the device opens some files it cannot play).
UINT OpenMci(const std::wstring& file) {
    MCI_OPEN_PARMSW open{};
    open.lpstrDeviceType = L"mpegvideo";
    open.lpstrElementName = file.c_str();
    if (Winmm().mciSendCommandW(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAIT,
                        reinterpret_cast<DWORD_PTR>(&open)) != 0)
        return 0;
    MCI_STATUS_PARMS length{};
    length.dwItem = MCI_STATUS_LENGTH;
    if (Winmm().mciSendCommandW(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT,
                        reinterpret_cast<DWORD_PTR>(&length)) != 0 ||
        length.dwReturn == 0) {
        MCI_GENERIC_PARMS close{};
        Winmm().mciSendCommandW(open.wDeviceID, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&close));
        return 0;
    }
    return open.wDeviceID;
}

void CloseMci(UINT device) {
    MCI_GENERIC_PARMS close{};
    Winmm().mciSendCommandW(device, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&close));
}

}  // namespace

// ---- the opener thread ---------------------------------------------------------
// Opening a tone (the file, the probe, the codec, the first second decoded,
// the output device) happens on a thread of its own: a path may name
// something that blocks a read for minutes, and the window must answer
// meanwhile. The window's thread collects what was opened.

struct ToneJob {
    enum Kind { Play, Probe, WarmUp };
    ToneJob(std::wstring w, std::string u, Kind k = Play)
        : path(std::move(w)), utf8(std::move(u)), probeOnly(k == Probe), warmUp(k == WarmUp) {}
    const std::wstring path;
    const std::string utf8;
    // Only checked (Host::probeTone): opened and decoded a little, never played.
    const bool probeOnly;
    // No tone: the codec and the output made ready for the first one.
    const bool warmUp;
    volatile LONG cancelled = 0;  // set by the window's thread
    // Filled by the opener: a sound ready to start, or an MCI device, and
    // why there is neither.
    PlaybackPtr playback;
    UINT mci = 0;
    ToneProblem problem = ToneProblem::None;
};

namespace {

void Cancel(std::shared_ptr<ToneJob>& job) {
    if (job) InterlockedExchange(&job->cancelled, 1);
    job.reset();
}

// One thread and its queue. A thread stuck on a tone nobody waits for any
// more is left to finish on its own while a new one takes the queue.
struct Opener {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE wake = CONDITION_VARIABLE_INIT;
    std::deque<std::shared_ptr<ToneJob>> queue;
    std::shared_ptr<ToneJob> busy;
    DWORD busySince = 0;
    bool quit = false;
    bool abandoned = false;
    HWND notify = nullptr;
    // What was opened, for the window's thread (shared by every opener).
    std::shared_ptr<std::pair<SRWLOCK, std::vector<std::shared_ptr<ToneJob>>>> done;
};

// Busy this long on a cancelled tone, an opener counts as stuck.
constexpr DWORD kStuckMs = 100;
// At most this many stuck openers at once: beyond, requests queue (and a
// sound that must start soon gives up by its timer).
constexpr LONG kMaxStuck = 4;
volatile LONG g_stuckOpeners = 0;

// The file's sound as PCM, by what its first bytes say it is: RIFF/WAVE, or
// else MP3. nullptr and why when it cannot be played; `mayTryMci` as for
// Mp3Source.
std::unique_ptr<PcmSource> OpenSource(const std::wstring& path, ToneProblem* why, bool* mayTryMci) {
    *mayTryMci = false;
    char head[12] = {};
    DWORD got = 0;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        *why = ToneProblem::CannotOpen;
        return nullptr;
    }
    // A pipe, a console or a port can block a read for ever: files only.
    const bool disk = GetFileType(f) == FILE_TYPE_DISK;
    const bool wav = disk && ReadFile(f, head, sizeof head, &got, nullptr) && LooksLikeWav(head, got);
    CloseHandle(f);
    if (!disk) {
        *why = ToneProblem::CannotOpen;
        return nullptr;
    }
    if (wav) return WavSource::Open(path, why);
    std::unique_ptr<PcmSource> s = Mp3Source::Open(path, mayTryMci);
    *why = s ? ToneProblem::None : ToneProblem::NotSound;
    return s;
}

// The first sound of a process would pay for loading the MP3 codec and the
// output's driver (under Wine, the connection to the sound server): 20-100 ms
// more than later ones. Done once, silently, when the pointer first comes
// over 试听 (the click follows a tenth of a second or more later) or an
// alarm's tone is prepared ahead of its minute, not at start: under Wine the output's driver costs about 4.5 MB, which an idle
// program that never plays need not hold. Only the codec's driver is kept
// open, as the first MP3 would keep it.
void WarmUp() {
    if (Acm().ok) {
        MPEGLAYER3WAVEFORMAT mp3{};
        mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
        mp3.wfx.nChannels = 2;
        mp3.wfx.nSamplesPerSec = 44100;
        mp3.wfx.nAvgBytesPerSec = 128000 / 8;
        mp3.wfx.nBlockAlign = 1;
        mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
        mp3.wID = MPEGLAYER3_ID_MPEG;
        mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
        mp3.nBlockSize = 417;  // a 128 kbit/s frame at 44.1 kHz
        mp3.nFramesPerBlock = 1;
        WAVEFORMATEX pcm = Pcm16(44100, 2);
        AcquireSRWLockExclusive(&g_mp3DriverLock);
        HACMSTREAM s = nullptr;
        if (!g_mp3Driver && Acm().open(&s, nullptr, &mp3.wfx, &pcm, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) == 0) {
            HACMDRIVERID id = nullptr;
            if (Acm().driverId(reinterpret_cast<HACMOBJ>(s), &id, 0) == 0) Acm().driverOpen(&g_mp3Driver, id, 0);
            Acm().close(s, 0);
        }
        ReleaseSRWLockExclusive(&g_mp3DriverLock);
    }
    const WAVEFORMATEX out = Pcm16(kOutRate, 2);
    HWAVEOUT h = nullptr;
    if (Winmm().waveOutOpen(&h, WAVE_MAPPER, &out, 0, 0, CALLBACK_NULL) == MMSYSERR_NOERROR)
        Winmm().waveOutClose(h);
}

void OpenTone(ToneJob& job, HWND notify) {
    if (job.warmUp) {
        WarmUp();
        return;
    }
    // A device name is refused on its name, before anything is opened.
    if (IsDevicePath(job.utf8)) {
        job.problem = ToneProblem::CannotOpen;
        return;
    }
    bool mayTryMci = false;
    if (auto source = OpenSource(job.path, &job.problem, &mayTryMci)) {
        if (job.probeOnly) return;  // its start decoded: it plays
        job.playback = OpenPlayback(notify, std::move(source), job.path);
        if (job.playback) return;
        mayTryMci = true;
        job.problem = ToneProblem::NotSound;
    }
    // What the codec cannot decode, MCI may.
    if (mayTryMci && !job.cancelled) job.mci = OpenMci(job.path);
    if (job.mci) job.problem = ToneProblem::None;
    if (job.mci && job.probeOnly) {
        CloseMci(job.mci);
        job.mci = 0;
    }
}

DWORD WINAPI OpenerMain(void* arg) {
    auto* ref = static_cast<std::shared_ptr<Opener>*>(arg);
    const std::shared_ptr<Opener> self = *ref;
    delete ref;
    for (;;) {
        AcquireSRWLockExclusive(&self->lock);
        while (!self->quit && self->queue.empty())
            SleepConditionVariableSRW(&self->wake, &self->lock, INFINITE, 0);
        if (self->quit) {
            ReleaseSRWLockExclusive(&self->lock);
            break;
        }
        std::shared_ptr<ToneJob> job = std::move(self->queue.front());
        self->queue.pop_front();
        self->busy = job;
        self->busySince = GetTickCount();
        ReleaseSRWLockExclusive(&self->lock);

        if (!job->cancelled) OpenTone(*job, self->notify);

        AcquireSRWLockExclusive(&self->lock);
        self->busy.reset();
        ReleaseSRWLockExclusive(&self->lock);
        if (job->cancelled) {
            if (job->mci) CloseMci(job->mci);  // the playback closes itself
            continue;
        }
        AcquireSRWLockExclusive(&self->done->first);
        self->done->second.push_back(std::move(job));
        ReleaseSRWLockExclusive(&self->done->first);
        PostMessageW(self->notify, WMAPP_TONES_OPENED, 0, 0);
    }
    if (self->abandoned) InterlockedDecrement(&g_stuckOpeners);
    return 0;
}

// Ringing until stopped: the same sound again from its start on the same
// device, so that the next buffer follows the last one without a gap.
bool RewindForLoop(Playback& p) {
    std::unique_ptr<PcmSource> s;
    if (p.path.empty()) s = std::make_unique<ChimeSource>();
    else {
        bool mayTryMci = false;
        ToneProblem why;
        s = OpenSource(p.path, &why, &mayTryMci);
    }
    if (!s) return false;
    const WAVEFORMATEX& in = s->format();
    if (in.nSamplesPerSec != kOutRate || in.nChannels != 2)
        s = std::make_unique<ToOutputFormat>(std::move(s));
    p.source = std::move(s);
    return true;
}

// The same for a sound that only MCI plays: from its start, told at its end.
bool ReplayMci(UINT device, HWND notify) {
    MCI_PLAY_PARMS play{};
    play.dwFrom = 0;
    play.dwCallback = reinterpret_cast<DWORD_PTR>(notify);
    return notify && Winmm().mciSendCommandW(device, MCI_PLAY, MCI_FROM | MCI_NOTIFY,
                                     reinterpret_cast<DWORD_PTR>(&play)) == 0;
}

}  // namespace

struct ToneOpeners {
    std::shared_ptr<Opener> current;
    std::shared_ptr<std::pair<SRWLOCK, std::vector<std::shared_ptr<ToneJob>>>> done;
};

void ToneOpenersDeleter::operator()(ToneOpeners* o) const {
    if (o->current) {
        AcquireSRWLockExclusive(&o->current->lock);
        o->current->quit = true;
        ReleaseSRWLockExclusive(&o->current->lock);
        WakeConditionVariable(&o->current->wake);
    }
    delete o;
}

void Win32Host::submitTone(const std::shared_ptr<ToneJob>& job) {
    if (!openers_) {
        openers_.reset(new ToneOpeners);
        openers_->done = std::make_shared<std::pair<SRWLOCK, std::vector<std::shared_ptr<ToneJob>>>>();
        InitializeSRWLock(&openers_->done->first);
    }
    std::shared_ptr<Opener>& cur = openers_->current;
    std::deque<std::shared_ptr<ToneJob>> carried;
    bool fresh = !cur;
    if (cur) {
        AcquireSRWLockExclusive(&cur->lock);
        if (cur->busy && cur->busy->cancelled && GetTickCount() - cur->busySince >= kStuckMs &&
            g_stuckOpeners < kMaxStuck) {
            cur->quit = true;
            cur->abandoned = true;
            carried.swap(cur->queue);
            InterlockedIncrement(&g_stuckOpeners);
            fresh = true;
        }
        ReleaseSRWLockExclusive(&cur->lock);
        if (fresh) WakeConditionVariable(&cur->wake);
    }
    if (fresh) {
        auto o = std::make_shared<Opener>();
        o->notify = audioWindow();
        o->done = openers_->done;
        o->queue.swap(carried);
        HANDLE t = CreateThread(nullptr, 0, OpenerMain, new std::shared_ptr<Opener>(o), 0, nullptr);
        if (t) CloseHandle(t);
        cur = o;  // without a thread the jobs stay queued: a sound that must be heard gives up
    }
    AcquireSRWLockExclusive(&cur->lock);
    cur->queue.push_back(job);
    ReleaseSRWLockExclusive(&cur->lock);
    WakeConditionVariable(&cur->wake);
}

void Win32Host::warmUpAudio() {
    if (warmedUp_) return;
    warmedUp_ = true;
    submitTone(std::make_shared<ToneJob>(std::wstring(), std::string(), ToneJob::WarmUp));
}

HWND Win32Host::audioWindow() {
    if (audioWindow_) return audioWindow_;
    WNDCLASSW wc{};
    wc.lpfnWndProc = AudioProc;
    wc.hInstance = instance_;
    wc.lpszClassName = L"NyAudio";
    RegisterClassW(&wc);
    audioWindow_ = CreateWindowExW(0, L"NyAudio", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   instance_, nullptr);
    if (audioWindow_) SetWindowLongPtrW(audioWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return audioWindow_;
}

bool Win32Host::startPlayback(PlaybackPtr p) {
    silence();  // one channel: the new sound replaces the old
    for (UINT i = 0; i < kBuffers; ++i)
        if (!p->feed(i)) break;
    if (p->queued == 0) return false;
    p->started = true;
    playing_ = std::move(p);
    return true;
}

void Win32Host::onWaveDone(HWAVEOUT out, WAVEHDR* hdr) {
    Playback* p = playing_.get();
    if (!p || p->out != out) return;  // a device already stopped
    for (UINT i = 0; i < kBuffers; ++i) {
        if (&p->hdrs[i] != hdr || !(hdr->dwFlags & WHDR_DONE) || p->queued == 0) continue;
        --p->queued;
        if (!p->feed(i) && looping_ && RewindForLoop(*p)) p->feed(i);
        // Played to its end: free the device and the buffers.
        if (p->queued == 0) playing_.reset();
        return;
    }
}

void Win32Host::prepareMp3(std::string_view path) {
    // A sound is coming: should this tone fail, its fallback finds the
    // output ready within the time it has.
    warmUpAudio();
    const std::wstring file = ToWstr(path);
    if ((prepared_ && prepared_->path == file) || (preparedDevice_ && preparedPath_ == file) ||
        (prepareJob_ && prepareJob_->path == file) || (playJob_ && playJob_->path == file))
        return;
    prepared_.reset();
    if (preparedDevice_) CloseMci(preparedDevice_);
    preparedDevice_ = 0;
    preparedPath_.clear();
    Cancel(prepareJob_);
    prepareJob_ = std::make_shared<ToneJob>(file, std::string(path));
    submitTone(prepareJob_);
}

int Win32Host::requestMp3(std::string_view path, int64_t giveUpMs) {
    const std::wstring file = ToWstr(path);
    stopAudio();  // one channel: the new sound replaces the old, and the older request
    const int id = ++lastRequest_;
    soundRequest_ = id;
    HWND notify = audioWindow();
    if (giveUpMs > 0) SetTimer(notify, kGiveUpTimer, static_cast<UINT>(giveUpMs), nullptr);
    // Opening and decoding the first second is most of the delay before a
    // sound is heard: what was opened ahead for this file starts now.
    if (prepared_ && prepared_->path == file) {
        const bool ok = startPlayback(std::move(prepared_));
        PostMessageW(notify, WMAPP_SOUND_ANSWER, static_cast<WPARAM>(id), ok);
    } else if (preparedDevice_ && preparedPath_ == file) {
        const UINT device = preparedDevice_;
        preparedDevice_ = 0;
        preparedPath_.clear();
        PostMessageW(notify, WMAPP_SOUND_ANSWER, static_cast<WPARAM>(id), playMci(device));
    } else if (prepareJob_ && prepareJob_->path == file) {
        playJob_ = std::move(prepareJob_);  // being opened ahead: played once it is
    } else {
        // Another tone than the one opened ahead rings: that one waits no more.
        Cancel(prepareJob_);
        playJob_ = std::make_shared<ToneJob>(file, std::string(path));
        submitTone(playJob_);
    }
    return id;
}

void Win32Host::onTonesOpened() {
    if (!openers_) return;
    std::vector<std::shared_ptr<ToneJob>> jobs;
    AcquireSRWLockExclusive(&openers_->done->first);
    jobs.swap(openers_->done->second);
    ReleaseSRWLockExclusive(&openers_->done->first);
    for (auto& job : jobs) {
        if (job == playJob_) {
            playJob_.reset();
            bool ok = job->playback && startPlayback(std::move(job->playback));
            if (!ok && job->mci) {
                ok = playMci(job->mci);
                job->mci = 0;
            }
            answerSound(ok, job->problem == ToneProblem::None ? ToneProblem::NotSound : job->problem);
        } else if (job == probeJob_) {
            probeJob_.reset();
            toneProblem_ = job->problem;
            raise(Ev::ToneProbed, Ctl::MainWindow, lastProbe_);
            toneProblem_ = ToneProblem::None;
        } else if (job == prepareJob_) {
            prepareJob_.reset();
            prepared_ = std::move(job->playback);
            if (job->mci) {
                preparedDevice_ = job->mci;
                preparedPath_ = job->path;
                job->mci = 0;
            }
        }
        if (job->mci) CloseMci(job->mci);  // cancelled meanwhile
    }
}

void Win32Host::answerSound(bool started, ToneProblem why) {
    const int id = soundRequest_;
    soundRequest_ = 0;
    if (audioWindow_) KillTimer(audioWindow_, kGiveUpTimer);
    if (!id) return;
    toneProblem_ = started ? ToneProblem::None : why;
    raise(started ? Ev::SoundStarted : Ev::SoundFailed, Ctl::MainWindow, id);
    toneProblem_ = ToneProblem::None;
}

int Win32Host::probeTone(std::string_view path) {
    Cancel(probeJob_);  // a newer choice: the older one is never answered
    probeJob_ = std::make_shared<ToneJob>(ToWstr(path), std::string(path), ToneJob::Probe);
    submitTone(probeJob_);
    return lastProbe_ = lastProbe_ % 0x7FFFFFFF + 1;
}

void Win32Host::giveUpSound() {
    if (audioWindow_) KillTimer(audioWindow_, kGiveUpTimer);
    if (!soundRequest_) return;
    // Dropped for good: it must not start late on top of what comes next.
    Cancel(playJob_);
    answerSound(false, ToneProblem::NotInTime);
}

bool Win32Host::playMci(UINT device) {
    silence();
    mciDevice_ = device;
    MCI_PLAY_PARMS play{};
    DWORD flags = 0;
    if (HWND main = hwndOf(Ctl::MainWindow)) {
        // Told when the sound has ended, the device is closed again.
        play.dwCallback = reinterpret_cast<DWORD_PTR>(main);
        flags |= MCI_NOTIFY;
    }
    if (Winmm().mciSendCommandW(mciDevice_, MCI_PLAY, flags, reinterpret_cast<DWORD_PTR>(&play)) != 0) {
        silence();
        return false;
    }
    return true;
}

void Win32Host::playChime() {
    stopAudio();
    if (PlaybackPtr p = OpenPlayback(audioWindow(), std::make_unique<ChimeSource>(), std::wstring()))
        startPlayback(std::move(p));
}

void Win32Host::stopAudio() {
    // The request not yet answered goes too: it is never heard, never answered.
    soundRequest_ = 0;
    if (audioWindow_) KillTimer(audioWindow_, kGiveUpTimer);
    Cancel(playJob_);
    silence();
}

void Win32Host::silence() {
    playing_.reset();  // silent at once; buffers and device freed
    if (!mciDevice_) return;
    CloseMci(mciDevice_);
    mciDevice_ = 0;
}

void Win32Host::onMciNotify(WPARAM flags, LPARAM device) {
    // Only the device playing now, never another's (or a message posted
    // by another program naming device 0 while none plays).
    if (flags != MCI_NOTIFY_SUCCESSFUL || mciDevice_ == 0 || static_cast<UINT>(device) != mciDevice_)
        return;
    if (looping_ && ReplayMci(mciDevice_, hwndOf(Ctl::MainWindow))) return;
    silence();
}

}  // namespace ny
