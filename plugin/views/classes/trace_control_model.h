#pragma once
// The state of the trace control window, free of widgets: the mode picked and whether it still has to be
// written, the bytes waiting on the target, the data uploaded so far with the number of uploads, and what
// was saved to files. It lives as long as the window manager; each run of the window re-reads the target.

#include <cstdint>
#include <string>
#include <vector>

namespace views {

class TraceControlModel {
public:
    // Modes as the radios give them: One-Shot 0, One-Shot with Auto-Send 1, Wrap-Around 2,
    // Wrap-Around with Auto-Send 3, Continuous 4.
    static constexpr uint32_t kModes = 5;

    // A run starts: nothing pending, the target re-read.
    void Start();
    void ReadTraceState();
    void PickMode(uint32_t mode);
    // Writes the picked mode to the target.
    void ApplyMode();
    // Appends the target's trace data. The target's buffer is reset by the upload only once its data was
    // taken; a failed upload leaves both sides as they were and says why (in `reason`, Upload disabled
    // until the next run of the window). False when nothing was appended.
    bool Upload();
    const std::string& uploadFailure() const { return m_uploadFailure; }
    void ResetTarget();
    void DiscardUploaded();
    // Writes the uploaded data to a file; counted, and the data dropped, only when every byte was written
    // and the file closed cleanly. False leaves everything as it was.
    bool Save(const std::string& path);

    struct Controls {
        bool traceItems = false;   // groups, radios, numbers and labels
        bool okApply = false;
        bool uploadReset = false;  // "&Upload" and "&Reset"
        bool saveDiscard = false;  // "&Save" and "R&eset"
        uint32_t checkedMode = 4;
        std::string available, uploadedBytes, uploads, savedBytes, savedFiles;
        std::string reason; // why no trace can be taken (then `available` is empty)
    };
    Controls controls() const;

    uint32_t mode() const { return m_mode; }
    bool modePending() const { return m_modePending; }
    uint32_t bytesWaiting() const { return m_bytesWaiting; }
    bool traceAvailable() const { return m_traceAvailable; }
    // Why the target's trace cannot be uploaded or reset, empty when it can.
    const std::string& refusal() const { return m_refusal; }
    const std::vector<uint8_t>& uploaded() const { return m_uploaded; }
    uint32_t uploads() const { return m_uploads; }
    uint64_t savedBytes() const { return m_savedBytes; }
    uint32_t savedFiles() const { return m_savedFiles; }

private:
    uint32_t m_mode = 4;
    bool m_modePending = false;
    uint32_t m_bytesWaiting = 0;
    bool m_traceAvailable = false;
    std::string m_refusal;
    std::string m_uploadFailure; // why the last upload of this run failed
    std::vector<uint8_t> m_uploaded;
    uint32_t m_uploads = 0;
    uint64_t m_savedBytes = 0;
    uint32_t m_savedFiles = 0;
};

} // namespace views
