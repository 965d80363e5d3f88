#include "tools/RawPipe.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/uio.h>
#include <unistd.h>

#include "host/HostError.h"
#include "host/RenderTarget.h"
#include "host/Texture.h"
#include "platform/GL.h"
#include "tools/Channel.h"
#include "tools/PixelPackBuffer.h"

namespace frayline {
namespace {

constexpr std::size_t InputBuffers = 3;
constexpr std::size_t PackBuffers = 3;
// Larger pipes mean fewer system calls and task switches per frame; the
// kernel lets anyone have 1 MiB. Harmless to ask of something not a pipe.
constexpr int PipeBytes = 1 << 20;

// One iovec per row of a frame held bottom row first, in stream order (top
// row first).
std::vector<iovec> StreamRows(const uint8_t* frame, uint32_t width, uint32_t height)
{
    const std::size_t stride = std::size_t(width) * 4;
    std::vector<iovec> rows(height);
    for (uint32_t y = 0; y < height; ++y)
        rows[y] = {const_cast<uint8_t*>(frame) + (height - 1 - y) * stride, stride};
    return rows;
}

// Moves past `done` bytes of the rows from `first` on; returns the first
// row not yet complete.
std::size_t Advance(std::vector<iovec>& rows, std::size_t first, std::size_t done)
{
    while (done > 0) {
        iovec& row = rows[first];
        const std::size_t step = std::min(done, row.iov_len);
        row.iov_base = static_cast<uint8_t*>(row.iov_base) + step;
        row.iov_len -= step;
        done -= step;
        if (row.iov_len == 0)
            ++first;
    }
    return first;
}

// Reads whole frames on a thread of its own into a small pool of buffers.
class FrameReader {
public:
    FrameReader(int fd, uint32_t width, uint32_t height)
        : fd_(fd), width_(width), height_(height), free_(InputBuffers), filled_(InputBuffers)
    {
        if (pipe2(cancel_, O_CLOEXEC) != 0)
            throw HostError(std::string("cannot make a pipe: ") + std::strerror(errno));
        for (std::size_t i = 0; i < InputBuffers; ++i)
            free_.Push(std::vector<uint8_t>(std::size_t(width) * height * 4));
        thread_ = std::thread([this] { Loop(); });
    }

    ~FrameReader()
    {
        Stop();
        close(cancel_[0]);
        close(cancel_[1]);
    }

    // The next whole frame, bottom row first; nothing at the end of the input.
    std::optional<std::vector<uint8_t>> Next() { return filled_.Pop(); }
    // The next frame if it is already read, else nothing at once.
    std::optional<std::vector<uint8_t>> Ready() { return filled_.TryPop(); }
    void Recycle(std::vector<uint8_t> frame) { free_.Push(std::move(frame)); }

    // Stops reading, even in the middle of a blocked read, and waits.
    void Stop()
    {
        if (!thread_.joinable())
            return;
        const char stop = 0;
        while (write(cancel_[1], &stop, 1) < 0 && errno == EINTR) {
        }
        free_.Close();
        filled_.Close();
        thread_.join();
    }

    // Why the frames ended: empty for a clean end of the input. Read it
    // after Next() gave nothing.
    std::string Problem()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return problem_;
    }

private:
    void Loop()
    {
        uint64_t frame = 0;
        while (auto buffer = free_.Pop()) {
            if (!ReadFrame(buffer->data(), frame++) || !filled_.Push(std::move(*buffer)))
                break;
        }
        filled_.Close();
    }

    void Fail(const std::string& problem)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        problem_ = problem;
    }

    bool ReadFrame(uint8_t* buffer, uint64_t frame)
    {
        std::vector<iovec> rows = StreamRows(buffer, width_, height_);
        const std::size_t frameBytes = std::size_t(width_) * height_ * 4;
        std::size_t first = 0, got = 0;
        while (first < rows.size()) {
            pollfd wait[2] = {{fd_, POLLIN, 0}, {cancel_[0], POLLIN, 0}};
            if (poll(wait, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                Fail(std::string("cannot wait for standard input: ") + std::strerror(errno));
                return false;
            }
            if (wait[1].revents)
                return false;
            const int count = int(std::min<std::size_t>(rows.size() - first, IOV_MAX));
            const ssize_t n = readv(fd_, &rows[first], count);
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN)
                    continue;
                Fail(std::string("cannot read standard input: ") + std::strerror(errno));
                return false;
            }
            if (n == 0) {
                if (got > 0)
                    Fail("the input ended " + std::to_string(got) + " bytes into frame " +
                         std::to_string(frame) + ", of " + std::to_string(frameBytes) +
                         " bytes each (is the --raw size right?)");
                return false;
            }
            got += std::size_t(n);
            first = Advance(rows, first, std::size_t(n));
        }
        return true;
    }

    int fd_;
    uint32_t width_;
    uint32_t height_;
    int cancel_[2] = {-1, -1};
    Channel<std::vector<uint8_t>> free_;
    Channel<std::vector<uint8_t>> filled_;
    std::mutex mutex_;
    std::string problem_;
    std::thread thread_;
};

// Writes frames on a thread of its own, straight from mapped read-back
// buffers, and hands each buffer back when done with it.
class FrameWriter {
public:
    struct Job {
        const uint8_t* pixels;  // bottom row first
        std::size_t slot;
    };

    FrameWriter(int fd, uint32_t width, uint32_t height)
        : fd_(fd), width_(width), height_(height), jobs_(PackBuffers), done_(PackBuffers)
    {
        thread_ = std::thread([this] { Loop(); });
    }

    ~FrameWriter() { Finish(); }

    void Submit(const Job& job) { jobs_.Push(job); }

    // The slot of the oldest submitted frame, once it is written (or given
    // up on); waits for it.
    std::size_t Returned()
    {
        const std::optional<std::size_t> slot = done_.Pop();
        return slot ? *slot : PackBuffers;
    }

    // Writes what is queued and waits for the thread.
    void Finish()
    {
        jobs_.Close();
        if (thread_.joinable())
            thread_.join();
    }

    // Whether writing has stopped: the output was closed or failed.
    bool Stopped() const { return stopped_; }
    bool OutputClosed() const { return closed_; }
    uint64_t Written() const { return written_; }
    std::string Problem()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return problem_;
    }

private:
    void Loop()
    {
        while (const std::optional<Job> job = jobs_.Pop()) {
            if (!stopped_)
                WriteFrame(job->pixels);
            done_.Push(job->slot);
        }
        done_.Close();
    }

    void WriteFrame(const uint8_t* pixels)
    {
        std::vector<iovec> rows = StreamRows(pixels, width_, height_);
        std::size_t first = 0;
        while (first < rows.size()) {
            const int count = int(std::min<std::size_t>(rows.size() - first, IOV_MAX));
            const ssize_t n = writev(fd_, &rows[first], count);
            if (n < 0) {
                if (errno == EINTR || errno == EAGAIN)
                    continue;
                if (errno == EPIPE) {
                    closed_ = true;
                } else {
                    std::lock_guard<std::mutex> lock(mutex_);
                    problem_ = std::string("cannot write standard output: ") + std::strerror(errno);
                }
                stopped_ = true;
                return;
            }
            first = Advance(rows, first, std::size_t(n));
        }
        ++written_;
    }

    int fd_;
    uint32_t width_;
    uint32_t height_;
    Channel<Job> jobs_;
    Channel<std::size_t> done_;
    std::atomic<bool> stopped_{false};
    std::atomic<bool> closed_{false};
    std::atomic<uint64_t> written_{0};
    std::mutex mutex_;
    std::string problem_;
    std::thread thread_;
};

}  // namespace

RawPipe::Result RawPipe::Run(EffectInstance& instance, int input, int output, uint32_t width,
                             uint32_t height, const Hooks& hooks)
{
    fcntl(input, F_SETPIPE_SZ, PipeBytes);
    fcntl(output, F_SETPIPE_SZ, PipeBytes);

    std::vector<Texture> textures;
    textures.emplace_back(PixelFormat::RGBA8, width, height);
    textures.emplace_back(PixelFormat::RGBA8, width, height);
    RenderTarget target(PixelFormat::RGBA8, width, height);
    std::vector<std::unique_ptr<PixelPackBuffer>> packs;
    for (std::size_t i = 0; i < PackBuffers; ++i)
        packs.push_back(std::make_unique<PixelPackBuffer>(std::size_t(width) * height * 4));

    // Declared after the buffers they use, so they stop first.
    FrameReader reader(input, width, height);
    FrameWriter writer(output, width, height);

    // Frame n is drawn from texture n % 2 and read back into slot
    // n % PackBuffers. While it is drawn (on the driver's threads, from the
    // flush on), frame n + 1, if it has arrived, is uploaded into the other
    // texture; frame n - 1 is mapped and handed to the writer after frame
    // n's read-back is queued. When frame n + 1 has not arrived (a live
    // stream), frame n is handed over at once instead of waiting for it.
    auto upload = [&](std::vector<uint8_t> frame, uint64_t index) {
        textures[index % 2].Upload(frame);
        reader.Recycle(std::move(frame));
    };
    uint64_t drawn = 0;
    std::size_t queued = PackBuffers;  // read back, not yet handed over; none
    std::optional<std::vector<uint8_t>> next = reader.Next();
    if (next)
        upload(std::move(*next), 0);
    while (next && !writer.Stopped()) {
        if (hooks.beforeDraw)
            hooks.beforeDraw(drawn);
        instance.Draw(textures[drawn % 2], target);
        glFlush();

        next = reader.Ready();
        if (next)
            upload(std::move(*next), drawn + 1);

        const std::size_t slot = drawn % PackBuffers;
        if (packs[slot]->Mapped()) {
            // Still with the writer: it hands slots back oldest first, and
            // the oldest is this one.
            const std::size_t back = writer.Returned();
            if (back < PackBuffers)
                packs[back]->Unmap();
        }
        packs[slot]->Read(width, height);
        if (queued < PackBuffers)
            writer.Submit({packs[queued]->Map(), queued});
        queued = slot;
        ++drawn;
        if (hooks.afterDraw)
            hooks.afterDraw(drawn);

        if (!next) {
            writer.Submit({packs[queued]->Map(), queued});
            queued = PackBuffers;
            next = reader.Next();
            if (next)
                upload(std::move(*next), drawn);
        }
    }
    if (queued < PackBuffers)
        writer.Submit({packs[queued]->Map(), queued});
    writer.Finish();
    reader.Stop();

    for (auto& pack : packs)
        if (pack->Mapped())
            pack->Unmap();
    const std::string writeProblem = writer.Problem();
    if (!writeProblem.empty())
        throw HostError(writeProblem);
    Result result;
    result.frames = writer.Written();
    result.outputClosed = writer.OutputClosed();
    if (result.outputClosed)
        return result;  // what the input still held is of no use to anyone
    const std::string readProblem = reader.Problem();
    if (!readProblem.empty())
        throw HostError(readProblem);
    return result;
}

}  // namespace frayline
