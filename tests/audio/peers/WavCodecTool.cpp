// Runs our WAV codecs for the peer check script, which hands the files to sox and ffmpeg.
// Usage: wav_codec_tool <job file>, one job a line:
//   encode <codec id> <rate> <channels> <bits> <in.raw> <out.wav>   (raw PCM as the codec takes it)
//   decode <codec id> <frame bytes> <in.wav> <out.raw>                (every frame the codec delivers)
//   snr <reference.raw> <test.raw>                                    (16-bit mono; prints "snr <dB>")
// Paths are host paths. Exit code 0 when every job worked.
#include "wav/CodecRuns.h"

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

bool Encode(int codecId, int rate, int channels, int bits, const std::string& in, const std::string& out) {
    std::string pcm;
    if (!ReadFile(in, &pcm)) return false;
    // Pieces of an odd size, as capture buffers come.
    const std::string file =
        wavtest::Encode(codecId, rate, channels, bits, pcm, 3001 * static_cast<size_t>(channels * bits / 8));
    return !file.empty() && WriteFile(out, file);
}

// PCM files deliver their frames as stored, so the caller says how wide they are.
bool Decode(int codecId, int frameBytes, const std::string& in, const std::string& out) {
    std::unique_ptr<AudioCodec> codec(CodecFactoryTable::Create(codecId));
    if (!codec || !codec->SetFileName(WindowsPath(in).c_str()) || codec->OpenRead() != 0) return false;
    int result = 0;
    const std::string all = wavtest::ReadAll(*codec, 4096, frameBytes, &result);
    codec->CloseRead();
    return result == 0 && WriteFile(out, all);
}

bool Snr(const std::string& reference, const std::string& test) {
    std::string a, b;
    if (!ReadFile(reference, &a) || !ReadFile(test, &b)) return false;
    const std::vector<int16_t> x = wavtest::Samples16(a), y = wavtest::Samples16(b);
    double signal = 0, error = 0;
    for (size_t i = 0; i < std::min(x.size(), y.size()); ++i) {
        signal += double(x[i]) * x[i];
        error += (double(x[i]) - y[i]) * (double(x[i]) - y[i]);
    }
    if (signal == 0) return false;
    printf("snr %.2f\n", error > 0 ? 10 * std::log10(signal / error) : 999.0);
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
    if (verb == "snr") {
        std::string reference, test;
        words >> reference >> test;
        return words && Snr(reference, test);
    }
    return verb.empty();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: wav_codec_tool <job file>\n");
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
