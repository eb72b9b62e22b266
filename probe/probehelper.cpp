// data/probe: the list's media probe. One long-lived process reads many files
// in turn, so that a listed file costs a library call, not two program starts
// (ffprobe, then ffmpeg for the thumbnail). The window starts it at idle
// priority with a cap on its memory, and restarts it when a file crashes it.
//
// Requests on standard input, one after another:
//     <id> <thumbnail: 0|1> <path length>\n<path bytes>
// the path as the file system spells it (any bytes). Each gets one reply on
// standard output before the next is read:
//     <id> <ok|bad> <seconds|-> <width> <height> <png length>\n<png bytes>
// "ok" when the file is media (a length or a stream was found); the picture
// size of its first video stream (0 0 for none); a thumbnail (PNG, 64 pixels
// high) only when one was asked for and the picture is within kMostPixels.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

// The largest picture decoded, for the list's stream details and for a
// thumbnail: 4096x4096. A header declaring more (16000x16000 would take 384 MB
// a frame) is not decoded at all: the row shows no preview.
constexpr std::int64_t kMostPixels = 4096LL * 4096;
constexpr int kThumbnailHeight = 64;
constexpr int kWidestThumbnail = 8 * kThumbnailHeight;
// A little way in, past a black first frame, but within a short clip.
constexpr double kThumbnailAtShare = 0.2;
constexpr double kThumbnailAtMostSeconds = 10;
// Packets read looking for one picture before giving up.
constexpr int kMostPacketsForPicture = 600;
constexpr std::size_t kLongestPath = 64 * 1024;

struct Result {
    bool media = false;
    double seconds = 0; // 0: unknown
    int width = 0;
    int height = 0;
    std::string png;
};

struct FormatCloser {
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
struct CodecFreer {
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;

// One decoding thread and the picture limit, for every decoder we open or
// let libavformat open.
void limitDecoder(AVDictionary **options)
{
    av_dict_set(options, "threads", "1", 0);
    av_dict_set_int(options, "max_pixels", kMostPixels, 0);
}

bool withinLimit(int width, int height)
{
    return width > 0 && height > 0 && std::int64_t(width) * height <= kMostPixels;
}

std::string encodePng(const AVFrame &picture)
{
    const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
    if (!codec)
        return {};
    CodecPtr encoder(avcodec_alloc_context3(codec));
    if (!encoder)
        return {};
    encoder->width = picture.width;
    encoder->height = picture.height;
    encoder->pix_fmt = AV_PIX_FMT_RGB24;
    encoder->time_base = AVRational{1, 25};
    PacketPtr packet(av_packet_alloc());
    if (!packet || avcodec_open2(encoder.get(), codec, nullptr) < 0 || avcodec_send_frame(encoder.get(), &picture) < 0
        || avcodec_send_frame(encoder.get(), nullptr) < 0 || avcodec_receive_packet(encoder.get(), packet.get()) < 0)
        return {};
    return std::string(reinterpret_cast<const char *>(packet->data), std::size_t(packet->size));
}

std::string thumbnailOf(const FramePtr &frame)
{
    const int height = kThumbnailHeight;
    // As ffmpeg's scale=-2:64: the aspect of the stored picture, an even width.
    int width = int(std::lround(double(frame->width) * height / frame->height / 2)) * 2;
    width = std::clamp(width, 2, kWidestThumbnail);
    SwsContext *scaler = sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), width, height,
                                        AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!scaler)
        return {};
    FramePtr picture(av_frame_alloc());
    std::string png;
    if (picture) {
        picture->width = width;
        picture->height = height;
        picture->format = AV_PIX_FMT_RGB24;
        if (av_frame_get_buffer(picture.get(), 0) >= 0
            && sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, picture->data, picture->linesize) > 0)
            png = encodePng(*picture);
    }
    sws_freeContext(scaler);
    return png;
}

std::string drawThumbnail(AVFormatContext &format, int streamIndex, double seconds)
{
    const AVStream &stream = *format.streams[streamIndex];
    const AVCodec *codec = avcodec_find_decoder(stream.codecpar->codec_id);
    if (!codec)
        return {};
    CodecPtr decoder(avcodec_alloc_context3(codec));
    AVDictionary *options = nullptr;
    limitDecoder(&options);
    const bool opened = decoder && avcodec_parameters_to_context(decoder.get(), stream.codecpar) >= 0
        && avcodec_open2(decoder.get(), codec, &options) >= 0;
    av_dict_free(&options);
    if (!opened)
        return {};
    // The key frame at or before the point: one picture decoded, not every
    // frame up to the point (a thumbnail needs no exact time).
    const double at = std::min(seconds * kThumbnailAtShare, kThumbnailAtMostSeconds);
    if (at > 0)
        av_seek_frame(&format, -1, std::int64_t(at * AV_TIME_BASE), AVSEEK_FLAG_BACKWARD);
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    if (!packet || !frame)
        return {};
    for (int read = 0; read < kMostPacketsForPicture; ++read) {
        const bool more = av_read_frame(&format, packet.get()) >= 0;
        if (more && packet->stream_index != streamIndex) {
            av_packet_unref(packet.get());
            continue;
        }
        avcodec_send_packet(decoder.get(), more ? packet.get() : nullptr);
        if (more)
            av_packet_unref(packet.get());
        if (avcodec_receive_frame(decoder.get(), frame.get()) >= 0)
            return withinLimit(frame->width, frame->height) ? thumbnailOf(frame) : std::string();
        if (!more)
            break;
    }
    return {};
}

Result probe(const std::string &path, bool wantThumbnail)
{
    Result result;
    // "file:" keeps a name with a colon or a leading dash a plain file name.
    const std::string url = "file:" + path;
    AVFormatContext *opened = nullptr;
    if (avformat_open_input(&opened, url.c_str(), nullptr, nullptr) < 0)
        return result;
    FormatPtr format(opened);
    // Reading the streams' details may decode a frame: within the same limits.
    const unsigned streams = format->nb_streams;
    auto **options = static_cast<AVDictionary **>(av_calloc(std::max(streams, 1U), sizeof(AVDictionary *)));
    for (unsigned i = 0; options && i < streams; ++i)
        limitDecoder(&options[i]);
    avformat_find_stream_info(format.get(), options);
    for (unsigned i = 0; options && i < streams; ++i)
        av_dict_free(&options[i]);
    av_free(options);

    if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
        result.seconds = double(format->duration) / AV_TIME_BASE;
    int video = -1;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVCodecParameters &parameters = *format->streams[i]->codecpar;
        if (parameters.codec_type == AVMEDIA_TYPE_VIDEO && parameters.width > 0 && parameters.height > 0) {
            video = int(i);
            result.width = parameters.width;
            result.height = parameters.height;
            break;
        }
    }
    result.media = result.seconds > 0 || format->nb_streams > 0;
    if (wantThumbnail && video >= 0 && withinLimit(result.width, result.height))
        result.png = drawThumbnail(*format, video, result.seconds);
    return result;
}

bool readRequest(unsigned long long &id, bool &wantThumbnail, std::string &path)
{
    char line[128];
    if (!std::fgets(line, sizeof line, stdin))
        return false;
    int thumbnail = 0;
    std::size_t length = 0;
    if (std::sscanf(line, "%llu %d %zu", &id, &thumbnail, &length) != 3 || length > kLongestPath)
        return false;
    wantThumbnail = thumbnail != 0;
    path.resize(length);
    return std::fread(path.data(), 1, length, stdin) == length;
}

} // namespace

int main()
{
    av_log_set_level(AV_LOG_QUIET);
    unsigned long long id = 0;
    bool wantThumbnail = false;
    std::string path;
    // A request that cannot be read ends the worker: the window starts another.
    while (readRequest(id, wantThumbnail, path)) {
        // A NUL cuts the name short: such a name is no file.
        const Result result = path.find('\0') == std::string::npos ? probe(path, wantThumbnail) : Result{};
        char seconds[32] = "-";
        if (result.seconds > 0)
            std::snprintf(seconds, sizeof seconds, "%.3f", result.seconds);
        std::printf("%llu %s %s %d %d %zu\n", id, result.media ? "ok" : "bad", seconds, result.width, result.height,
                    result.png.size());
        std::fwrite(result.png.data(), 1, result.png.size(), stdout);
        if (std::fflush(stdout) != 0)
            return 1;
    }
    return 0;
}
