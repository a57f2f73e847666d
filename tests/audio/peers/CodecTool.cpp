// Runs our codecs for the peer check scripts and the MP3 benchmark, which hand the files
// to sox, ffmpeg and other encoders. Usage: codec_tool <job file>, one job a line:
//   encode <codec id> <rate> <channels> <bits> <in.raw> <out>  (raw PCM as the codec takes it;
//                                                               prints "encoded <seconds>")
//   mp3 <enabled> <channel mode> <kbps>                       (MP3 options of later encodes)
//   decode <codec id> <frame bytes> <in.wav> <out.raw>        (every frame the codec delivers)
//   mad <in.mp3> <out.raw>     (libmad's decoding, 16-bit interleaved; fails on any decoding
//                               error; prints "mad <frames> <channels> <rate> <bit/s> <in>")
//   mad-cut <in.mp3> <out.raw> (the same for a file that may end inside its last frame,
//                               which is left out)
//   snr <reference.raw> <test.raw> [<channels> <max lag>]     (16-bit; prints "snr <dB> <lag>":
//                               the test is taken up to max lag frames late, the lag that
//                               matches best is used)
// Paths are host paths. Exit code 0 when every job worked.
#include "RecorderSettings.h"
#include "MadDecode.h"
#include "wav/CodecRuns.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::wstring WindowsPath(const std::string& host) {
    std::wstring path = host[0] == '/' ? L"Z:" : L"";
    for (char c : host) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

bool ReadFile(const std::string& host, std::string* bytes) {
    std::ifstream in(WindowsPath(host).c_str(), std::ios::binary);
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.good() || in.eof();
}

bool WriteFile(const std::string& host, const std::string& bytes) {
    std::ofstream out(WindowsPath(host).c_str(), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

double Seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

bool Encode(int codecId, int rate, int channels, int bits, const std::string& in, const std::string& out) {
    std::string pcm;
    if (!ReadFile(in, &pcm)) return false;
    // Pieces of an odd size, as capture buffers come.
    const double start = Seconds();
    const std::string file =
        wavtest::Encode(codecId, rate, channels, bits, pcm, 3001 * static_cast<size_t>(channels * bits / 8));
    printf("encoded %.4f\n", Seconds() - start);
    return !file.empty() && WriteFile(out, file);
}

bool MadDecode(const std::string& in, const std::string& out, bool cutOff) {
    std::string file;
    if (!ReadFile(in, &file)) return false;
    const mp3test::MadDecoded decoded = mp3test::DecodeWithLibmad(file, cutOff);
    printf("mad %d %d %u %lu %s\n", decoded.frames, decoded.channels, decoded.sampleRate, decoded.bitrate, in.c_str());
    if (decoded.errors > 0) fprintf(stderr, "libmad: %d decoding errors in %s\n", decoded.errors, in.c_str());
    const std::string pcm(reinterpret_cast<const char*>(decoded.samples.data()), decoded.samples.size() * 2);
    return decoded.errors == 0 && decoded.frames > 0 && WriteFile(out, pcm);
}

// The caller says how wide a delivered frame is (PCM and GSM deliver 16-bit samples).
bool Decode(int codecId, int frameBytes, const std::string& in, const std::string& out) {
    std::unique_ptr<AudioCodec> codec(CodecFactoryTable::Create(codecId));
    if (!codec || !codec->SetFileName(WindowsPath(in).c_str()) || codec->OpenRead() != 0) return false;
    int result = 0;
    const std::string all = wavtest::ReadAll(*codec, 4096, frameBytes, &result);
    codec->CloseRead();
    return result == 0 && WriteFile(out, all);
}

// Sum of x[i] y[i + lag * channels] over the first `span` samples.
double Correlation(const std::vector<int16_t>& x, const std::vector<int16_t>& y, size_t offset, size_t span) {
    double sum = 0;
    for (size_t i = 0; i < span && i + offset < y.size() && i < x.size(); ++i) sum += double(x[i]) * y[i + offset];
    return sum;
}

bool Snr(const std::string& reference, const std::string& test, int channels, int maxLag) {
    std::string a, b;
    if (!ReadFile(reference, &a) || !ReadFile(test, &b) || channels < 1 || maxLag < 0) return false;
    const std::vector<int16_t> x = wavtest::Samples16(a), y = wavtest::Samples16(b);
    // The lag is found on the first seconds; decoders delay by a fixed amount.
    const size_t span = std::min<size_t>(x.size(), 200000);
    int lag = 0;
    double best = -1e300;
    for (int l = 0; l <= maxLag; ++l) {
        const double c = Correlation(x, y, static_cast<size_t>(l) * channels, span);
        if (c > best) {
            best = c;
            lag = l;
        }
    }
    const size_t offset = static_cast<size_t>(lag) * channels;
    double signal = 0, error = 0;
    for (size_t i = 0; i < x.size() && i + offset < y.size(); ++i) {
        const double d = double(x[i]) - y[i + offset];
        signal += double(x[i]) * x[i];
        error += d * d;
    }
    if (signal == 0) return false;
    printf("snr %.2f %d\n", error > 0 ? 10 * std::log10(signal / error) : 999.0, lag);
    return true;
}

bool RunJob(const std::string& line) {
    std::istringstream words(line);
    std::string verb;
    words >> verb;
    if (verb == "encode") {
        int id, rate, channels, bits;
        std::string in, out;
        words >> id >> rate >> channels >> bits >> in >> out;
        return words && Encode(id, rate, channels, bits, in, out);
    }
    if (verb == "decode") {
        int id, frameBytes;
        std::string in, out;
        words >> id >> frameBytes >> in >> out;
        return words && frameBytes > 0 && frameBytes <= 4 && Decode(id, frameBytes, in, out);
    }
    if (verb == "mp3") {
        int enabled, mode, kbps;
        words >> enabled >> mode >> kbps;
        Mp3CodecSettings& mp3 = RecorderSettings_Global().mp3;
        mp3.enabled = static_cast<uint8_t>(enabled);
        mp3.channelMode = mode;
        mp3.bitrateKbps = kbps;
        return static_cast<bool>(words);
    }
    if (verb == "mad" || verb == "mad-cut") {
        std::string in, out;
        words >> in >> out;
        return words && MadDecode(in, out, verb == "mad-cut");
    }
    if (verb == "snr") {
        std::string reference, test;
        int channels = 1, maxLag = 0;
        words >> reference >> test;
        if (!words) return false;
        if (!(words >> channels >> maxLag)) channels = 1, maxLag = 0;
        return Snr(reference, test, channels, maxLag);
    }
    return verb.empty();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: codec_tool <job file>\n");
        return 2;
    }
    std::string jobs;
    if (!ReadFile(argv[1], &jobs)) return 2;
    std::istringstream lines(jobs);
    int failed = 0;
    for (std::string line; std::getline(lines, line);) {
        if (!RunJob(line)) {
            fprintf(stderr, "failed: %s\n", line.c_str());
            ++failed;
        }
    }
    fflush(stdout);
    return failed ? 1 : 0;
}
