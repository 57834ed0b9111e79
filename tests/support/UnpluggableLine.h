#pragma once
// A line whose adapter can be pulled out and plugged in again, as a USB serial adapter is:
// while it is out an open line's reads and writes fail with EIO (a hung-up terminal) and an
// open fails with ENOENT (its device name is gone). Plugged in again it opens and talks
// through the line it wraps. Lines made on one Plug share it.

#include <cerrno>
#include <memory>
#include <string>

#include "link/CSerialException.h"
#include "link/SerialLine.h"

namespace vg28::test {

struct Plug {
    bool in = true;
    int opensTried = 0;
    int opensWhileOut = 0;
};

class UnpluggableLine final : public SerialLine {
public:
    UnpluggableLine(std::unique_ptr<SerialLine> line, std::shared_ptr<Plug> plug)
        : m_line(std::move(line)), m_plug(std::move(plug)) {}

    void Open(const LineSettings& settings) override {
        ++m_plug->opensTried;
        if (!m_plug->in) {
            ++m_plug->opensWhileOut;
            CSerialException::Throw(ENOENT);
        }
        m_line->Open(settings);
    }
    int Close() override { return m_line->Close(); }
    bool IsOpen() const override { return m_line->IsOpen(); }
    std::size_t Read(void* buffer, std::size_t count) override {
        FailWhenOut();
        return m_line->Read(buffer, count);
    }
    std::size_t Write(const void* data, std::size_t count) override {
        FailWhenOut();
        return m_line->Write(data, count);
    }
    void SetTimeouts(const SerialTimeouts& timeouts) override { m_line->SetTimeouts(timeouts); }
    void SetDtr() override {
        FailWhenOut();
        m_line->SetDtr();
    }
    void ClearDtr() override {
        FailWhenOut();
        m_line->ClearDtr();
    }
    void PurgeInput() override {
        FailWhenOut();
        m_line->PurgeInput();
    }
    const std::string& Name() const override { return m_line->Name(); }

private:
    void FailWhenOut() const {
        if (!m_plug->in) CSerialException::Throw(EIO);
    }

    std::unique_ptr<SerialLine> m_line;
    std::shared_ptr<Plug> m_plug;
};

}  // namespace vg28::test
