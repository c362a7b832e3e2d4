// How far a long read of tags files has come, and whether to go on: the
// command reads on the editor's own thread, so the reading itself has to let
// the command show its progress and notice that the user wants it stopped.
#pragma once

#include <cstdint>

#include "text/CowString.h"

namespace velkin {

// Told before each view of a tags file is read. Implemented by the command;
// the reading only calls it.
class ReadProgress {
public:
    // `file` is about to be read from `done` of its `size` bytes on (the
    // sorted search tells how far it has narrowed the file down instead).
    // False: stop the reading at once; every later call must say false too.
    virtual bool GoOn(const CowString& file, std::uint64_t done, std::uint64_t size) noexcept = 0;

protected:
    ~ReadProgress() = default;
};

// One file's reading, as told to a ReadProgress (none: it always goes on).
class FileReadMeter {
public:
    FileReadMeter(ReadProgress* progress, const CowString& file, std::uint64_t size) noexcept
        : progress_(progress), file_(file), size_(size)
    {
    }

    // Whether to read on from `done` bytes; remembers a stop.
    bool GoOn(std::uint64_t done) noexcept
    {
        stopped_ = stopped_ || (progress_ && !progress_->GoOn(file_, done, size_));
        return !stopped_;
    }
    bool Stopped() const noexcept { return stopped_; }

private:
    ReadProgress* progress_;
    const CowString& file_;
    std::uint64_t size_;
    bool stopped_ = false;
};

}  // namespace velkin
