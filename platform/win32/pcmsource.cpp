#include "platform/win32/pcmsource.h"

#include <mmsystem.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

#include "host/mp3.h"
#include "host/wav.h"
#include "platform/win32/syslibs.h"

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

// Opens a stream from `in` to `out`, with the MP3 driver kept open when
// `mp3`: tried first, and remembered from the first stream that opens.
bool OpenAcmStream(HACMSTREAM* s, const WAVEFORMATEX* in, const WAVEFORMATEX& out, bool mp3) {
    const DWORD flags = ACM_STREAMOPENF_NONREALTIME;
    WAVEFORMATEX pcm = out;
    if (!mp3) return Acm().open(s, nullptr, const_cast<WAVEFORMATEX*>(in), &pcm, nullptr, 0, 0, flags) == 0;
    AcquireSRWLockExclusive(&g_mp3DriverLock);
    bool ok = g_mp3Driver && Acm().open(s, g_mp3Driver, const_cast<WAVEFORMATEX*>(in), &pcm, nullptr, 0, 0, flags) == 0;
    if (!ok && Acm().open(s, nullptr, const_cast<WAVEFORMATEX*>(in), &pcm, nullptr, 0, 0, flags) == 0) {
        ok = true;
        HACMDRIVERID id = nullptr;
        if (!g_mp3Driver && Acm().driverId(reinterpret_cast<HACMOBJ>(*s), &id, 0) == 0)
            Acm().driverOpen(&g_mp3Driver, id, 0);
    }
    ReleaseSRWLockExclusive(&g_mp3DriverLock);
    return ok;
}

// What the MP3 codec is told of a stream whose frames are all like this one.
MPEGLAYER3WAVEFORMAT Mp3Format(int channels, int rate, int kbps, int blockBytes) {
    MPEGLAYER3WAVEFORMAT mp3{};
    mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
    mp3.wfx.nChannels = static_cast<WORD>(channels);
    mp3.wfx.nSamplesPerSec = static_cast<DWORD>(rate);
    mp3.wfx.nAvgBytesPerSec = static_cast<DWORD>(kbps * 1000 / 8);
    mp3.wfx.nBlockAlign = 1;
    mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    mp3.wID = MPEGLAYER3_ID_MPEG;
    mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
    mp3.nBlockSize = static_cast<WORD>(blockBytes);
    mp3.nFramesPerBlock = 1;
    mp3.nCodecDelay = 0;
    return mp3;
}

// A file on a disk read a piece at a time into src_ and decoded by an ACM
// codec (or in code, by a subclass): what the MP3 and the WAV source share.
class FileSource : public ChunkedSource {
public:
    ~FileSource() override {
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
    PcmFormat format() const override { return pcm_; }

protected:
    // False unless the path names a file on a disk: a pipe, a console or a
    // port can block a read for ever.
    bool openFile(const std::wstring& path) {
        file_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        LARGE_INTEGER size{};
        if (file_ == INVALID_HANDLE_VALUE || !GetFileSizeEx(file_, &size) || GetFileType(file_) != FILE_TYPE_DISK)
            return false;
        size_ = static_cast<uint64_t>(size.QuadPart);
        return true;
    }
    bool seek(uint64_t at) {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(at);
        return SetFilePointerEx(file_, to, nullptr, FILE_BEGIN) != 0;
    }
    // Reads n bytes at `at`; what it got (0 on failure).
    size_t readAt(uint64_t at, char* buf, size_t n) {
        DWORD got = 0;
        if (!seek(at) || !ReadFile(file_, buf, static_cast<DWORD>(n), &got, nullptr)) return 0;
        return got;
    }
    Mp3Reader reader() {
        return [this](uint64_t at, char* buf, size_t n) { return readAt(at, buf, n); };
    }
    // Appends up to `want` bytes of the file to src_; how many it got.
    size_t readMore(size_t want) {
        DWORD got = 0;
        if (want > 0 && !ReadFile(file_, src_.data() + fill_, static_cast<DWORD>(want), &got, nullptr)) got = 0;
        fill_ += got;
        return got;
    }
    // Opens the codec from `in` to pcm_ for pieces of src_.size() bytes.
    bool openCodec(const WAVEFORMATEX* in, bool mp3) {
        const WAVEFORMATEX out = ToWaveFormat(pcm_);
        if (!Acm().ok || !OpenAcmStream(&acm_, in, out, mp3)) {
            acm_ = nullptr;
            return false;
        }
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
        return Acm().prepare(acm_, &hdr_, 0) == 0;
    }
    // Reads the next bytes of the sound into src_; true once all are read.
    virtual bool fetch() = 0;
    // The next piece through the codec. A few rounds at most: the codec may
    // hold a frame back for the next call.
    bool decodeWithCodec(std::vector<char>& out) {
        for (int round = 0; round < 4 && out.empty() && !ended_; ++round) {
            const bool last = fetch();
            hdr_.cbSrcLength = static_cast<DWORD>(fill_);
            hdr_.cbSrcLengthUsed = 0;
            hdr_.cbDstLengthUsed = 0;
            DWORD flags = last ? ACM_STREAMCONVERTF_END : ACM_STREAMCONVERTF_BLOCKALIGN;
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
            out.assign(dst_.data(), dst_.data() + std::min<size_t>(hdr_.cbDstLengthUsed, dst_.size()));
            if (out.empty() && (last || used == 0)) ended_ = true;
        }
        return !out.empty();
    }

    HANDLE file_ = INVALID_HANDLE_VALUE;
    uint64_t size_ = 0;
    PcmFormat pcm_;
    std::vector<char> src_;  // the file's bytes waiting to be decoded
    size_t fill_ = 0;        // how many of src_ hold them
    bool ended_ = false;

private:
    HACMSTREAM acm_ = nullptr;
    ACMSTREAMHEADER hdr_{};
    std::vector<char> dst_;
    bool first_ = true;
};

class Mp3Source final : public FileSource {
public:
    // nullptr when the file is not MP3 audio the codec can decode.
    static std::unique_ptr<Mp3Source> Open(const std::wstring& path, bool* mayTryMci) {
        std::unique_ptr<Mp3Source> s(new Mp3Source);
        if (s->open(path)) return s;
        *mayTryMci = s->mayTryMci_;
        return nullptr;
    }

private:
    Mp3Source() = default;

    bool open(const std::wstring& path) {
        if (!openFile(path)) return false;
        auto info = ProbeMp3(reader(), size_);
        // A file of tags without sound is no other kind of sound either.
        char head[3] = {};
        const bool tagged = readAt(0, head, 3) == 3 && std::memcmp(head, "ID3", 3) == 0;
        mayTryMci_ = info || (!tagged && size_ <= kMciMaxOtherBytes);
        if (!info || !Acm().ok) return false;
        const Mp3Frame& f = info->frame;
        MPEGLAYER3WAVEFORMAT mp3 =
            Mp3Format(f.channels, f.sampleRate, f.bitrateKbps, f.frameBytes - (f.padding ? 1 : 0));
        pcm_ = {f.sampleRate, f.channels};
        // Files that say how much silence their encoder put first (LAME's
        // tag) start with the sound: that and the decoder's own 529 samples
        // go. At 8 kHz they are 0.14 s.
        if (info->encoderDelay >= 0)
            skip_ = static_cast<size_t>(info->encoderDelay + kDecoderDelay) * pcm_.frameBytes();
        // About a second of the file per conversion.
        src_.resize(std::max<size_t>(4096, static_cast<size_t>(f.bitrateKbps) * 125));
        if (!openCodec(&mp3.wfx, true) || !seek(info->audioStart)) return false;
        return nextChunk();
    }

    bool fetch() override {
        if (!eof_) {
            readMore(src_.size() - fill_);
            if (fill_ < src_.size()) eof_ = true;
        }
        return eof_;
    }
    bool decodeChunk(std::vector<char>& out) override { return decodeWithCodec(out); }

    static constexpr int kDecoderDelay = 529;  // samples, every Layer III decoder
    // Files without MP3 audio larger than this are not handed to MCI either
    // (megabytes of tags or zeros kept it busy for minutes).
    static constexpr uint64_t kMciMaxOtherBytes = 4 * 1024 * 1024;
    bool eof_ = false;
    bool mayTryMci_ = false;
};

// A RIFF/WAVE file as 16-bit PCM of at most two channels: plain PCM
// converted here, other codings by the ACM codec that takes them (opened
// from the file's own format description).
class WavSource final : public FileSource {
public:
    static std::unique_ptr<WavSource> Open(const std::wstring& path, ToneProblem* why) {
        std::unique_ptr<WavSource> s(new WavSource);
        *why = s->open(path);
        if (*why == ToneProblem::None) return s;
        return nullptr;
    }

private:
    WavSource() = default;

    ToneProblem open(const std::wstring& path) {
        if (!openFile(path)) return ToneProblem::CannotOpen;
        const auto info = ProbeWav(reader(), size_);
        if (!info) return ToneProblem::NotSound;
        f_ = info->format;
        left_ = info->dataBytes;
        pcm_ = {static_cast<int>(f_.sampleRate), std::min(f_.channels, 2)};
        // About a second of the file per read, in whole blocks.
        const size_t perSecond = std::clamp<size_t>(f_.avgBytesPerSec, 4096, 1 << 20);
        src_.resize(std::max<size_t>(perSecond / f_.blockAlign, 1) * f_.blockAlign);
        if (!IsPlainPcm(f_)) {
            // Codecs decode to as many channels as they were given.
            if (f_.channels > 2) return ToneProblem::NotSound;
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
            if (!openCodec(in, false)) return ToneProblem::NotSound;
        }
        if (!seek(info->dataStart)) return ToneProblem::CannotOpen;
        return nextChunk() ? ToneProblem::None : ToneProblem::NotSound;
    }

    bool fetch() override {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(src_.size() - fill_, left_));
        const size_t got = readMore(want);
        left_ = got < want ? 0 : left_ - got;  // a file shorter than it said ends here
        return left_ == 0;
    }

    bool decodeChunk(std::vector<char>& out) override {
        if (!IsPlainPcm(f_)) return decodeWithCodec(out);
        for (int round = 0; round < 4 && out.empty() && !ended_; ++round) {
            const bool last = fetch();
            const size_t whole = fill_ - fill_ % f_.blockAlign;
            if (whole == 0) {
                ended_ = true;
                break;
            }
            samples_.resize(whole / (f_.bitsPerSample / 8));
            samples_.resize(PcmTo16(f_, src_.data(), whole, samples_.data()));
            AppendFirstTwoChannels(samples_.data(), samples_.size(), f_.channels, out);
            std::memmove(src_.data(), src_.data() + whole, fill_ - whole);
            fill_ -= whole;
            if (last) ended_ = true;
        }
        return !out.empty();
    }

    WavFormat f_;
    uint64_t left_ = 0;  // bytes of sound not yet read
    std::vector<int16_t> samples_;
};

}  // namespace

WAVEFORMATEX ToWaveFormat(const PcmFormat& f) {
    WAVEFORMATEX w{};
    w.wFormatTag = WAVE_FORMAT_PCM;
    w.nChannels = static_cast<WORD>(f.channels);
    w.nSamplesPerSec = static_cast<DWORD>(f.rate);
    w.wBitsPerSample = 16;
    w.nBlockAlign = static_cast<WORD>(f.frameBytes());
    w.nAvgBytesPerSec = static_cast<DWORD>(f.bytesPerSec());
    return w;
}

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

void WarmUpMp3Codec() {
    if (!Acm().ok || g_mp3Driver) return;
    // A 128 kbit/s stereo stream at 44.1 kHz (417-byte frames), as most are.
    MPEGLAYER3WAVEFORMAT mp3 = Mp3Format(2, 44100, 128, 417);
    HACMSTREAM s = nullptr;
    if (OpenAcmStream(&s, &mp3.wfx, ToWaveFormat({44100, 2}), true)) Acm().close(s, 0);
}

}  // namespace ny
