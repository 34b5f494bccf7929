#pragma once

// libwayland's log of this process's requests and events (WAYLAND_DEBUG=client),
// in order: it writes to stderr, which goes to a file meanwhile.
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace varno::testing_support {

class WireLog {
public:
    WireLog() : file_(std::tmpfile())
    {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        dup2(fileno(file_), STDERR_FILENO);
    }
    ~WireLog()
    {
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        std::fclose(file_);
    }
    WireLog(const WireLog&) = delete;
    WireLog& operator=(const WireLog&) = delete;

    // Every line logged so far.
    const std::vector<std::string>& lines()
    {
        std::fflush(stderr);
        std::fseek(file_, read_, SEEK_SET);
        char line[1024];
        while (std::fgets(line, sizeof line, file_))
            lines_.emplace_back(line);
        read_ = std::ftell(file_);
        return lines_;
    }

private:
    std::FILE* file_;
    int saved_ = -1;
    long read_ = 0;
    std::vector<std::string> lines_;
};

}  // namespace varno::testing_support
