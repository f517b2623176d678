#pragma once

// A file layer for tests that makes one chosen step of a file replacement fail: the creation of
// the new file, a write, the flush to storage, its close, the rename over the old file, or the
// removal of a file. Steps are counted from 1 in the order they happen.

#include "datafiles/file_ops.h"

#include <cerrno>
#include <set>
#include <string>
#include <vector>

namespace hc::test {

class FailingFileOps : public FileOps {
public:
    // Fails the step with this number (0: none fails).
    explicit FailingFileOps(int failAt = 0) : m_failAt(failAt) {}

    // Names of the steps seen so far, in order ("create", "write", "sync", "close", "rename",
    // "remove").
    const std::vector<std::string>& steps() const { return m_steps; }
    bool failed() const { return m_failed; }

    std::FILE* create(const std::string& path) override {
        if (step("create")) {
            errno = ENOSPC;
            return nullptr;
        }
        std::FILE* file = FileOps::create(path);
        m_created.insert(file);
        return file;
    }
    bool write(const void* data, std::size_t size, std::FILE* file) override {
        if (step("write")) {
            // A full disk takes part of the data, then refuses the rest.
            FileOps::write(data, size / 2, file);
            errno = ENOSPC;
            return false;
        }
        return FileOps::write(data, size, file);
    }
    bool sync(std::FILE* file) override {
        if (step("sync")) {
            errno = EIO;
            return false;
        }
        return FileOps::sync(file);
    }
    bool close(std::FILE* file) override {
        const bool created = m_created.erase(file) > 0;
        if (created && step("close")) {
            FileOps::close(file);
            errno = EIO;
            return false;
        }
        return FileOps::close(file);
    }
    bool rename(const std::string& from, const std::string& to) override {
        if (step("rename")) {
            errno = EXDEV;
            return false;
        }
        return FileOps::rename(from, to);
    }
    bool remove(const std::string& path) override {
        // Removing a file that is not there is how a writer clears a stale temporary name; it
        // is not a step that can fail in a way that matters.
        if (!FileOps::exists(path)) {
            return FileOps::remove(path);
        }
        if (step("remove")) {
            errno = EACCES;
            return false;
        }
        return FileOps::remove(path);
    }

private:
    bool step(const char* name) {
        m_steps.emplace_back(name);
        if (static_cast<int>(m_steps.size()) == m_failAt) {
            m_failed = true;
            return true;
        }
        return false;
    }

    int m_failAt;
    bool m_failed = false;
    std::vector<std::string> m_steps;
    std::set<std::FILE*> m_created;
};

} // namespace hc::test
