#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "link/download_worker.h"

namespace k4::test {

using Bytes = std::vector<std::uint8_t>;

// Written out here rather than taken from the protocol header, so that a
// wrong constant there shows.
inline const Bytes kAckWire{0x00, 0x03, 0xFD, 0xFF, 0x00};
inline const Bytes kNakWire{0x00, 0x03, 0xFE, 0xFE, 0xFF};
inline const Bytes kFileCountRequest{0x00, 0x03, 0x0C, 0xFF, 0xF1};
inline const Bytes kDownloadRequest{0x00, 0x03, 0x0A, 0xFF, 0xF3};
inline const Bytes kFirmwareRequest{0x00, 0x04, 0x02, 0x01, 0xFF, 0xF9};

// A device frame as it travels: big-endian type and length, the body, and
// the big-endian two's complement of the byte sum.
inline Bytes DeviceFrame(unsigned type, const Bytes& body)
{
    const unsigned header = (type << 14) | (2 + body.size());
    Bytes frame{static_cast<std::uint8_t>(header >> 8), static_cast<std::uint8_t>(header)};
    frame.insert(frame.end(), body.begin(), body.end());
    unsigned sum = 0;
    for (std::uint8_t byte : frame)
        sum += byte;
    const unsigned checksum = (0x10000 - (sum & 0xFFFF)) & 0xFFFF;
    frame.push_back(static_cast<std::uint8_t>(checksum >> 8));
    frame.push_back(static_cast<std::uint8_t>(checksum));
    return frame;
}

// A reply or data frame: the code/status byte, then `data`.
inline Bytes CodeFrame(unsigned type, std::uint8_t code, const Bytes& data)
{
    Bytes body{code};
    body.insert(body.end(), data.begin(), data.end());
    return DeviceFrame(type, body);
}

// The frame with one bit of its fourth byte changed: its checksum fails.
inline Bytes Corrupted(Bytes frame)
{
    frame[3] ^= 0x01;
    return frame;
}

// Bytes counting up from `first`, so misplaced data shows.
inline Bytes Pattern(std::size_t count, std::uint8_t first)
{
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

// Log lines or calls as one text, ", " between them.
inline std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : ", ") + line;
    return text;
}

// Plays a script of incoming events, then stays silent; records writes.
class FakeSerialChannel : public SerialChannel {
public:
    void QueueBytes(const Bytes& bytes)
    {
        for (std::uint8_t byte : bytes)
            script.push_back({ReadResult::Byte, byte});
    }
    void QueueEmpty(int count) { script.insert(script.end(), count, {ReadResult::Empty, 0}); }
    void QueueFailure() { script.push_back({ReadResult::Failed, 0}); }

    bool Configure(BridgeHandle handle) override
    {
        configured.push_back(handle);
        return configureTaken;
    }
    ReadResult ReadByte(BridgeHandle, std::uint8_t& byte) override
    {
        ++readCalls;
        if (onRead)
            onRead(readCalls);
        if (script.empty())
            return ReadResult::Empty;
        const auto [result, value] = script.front();
        script.pop_front();
        byte = value;
        return result;
    }
    bool Write(BridgeHandle, const std::uint8_t* data, std::size_t size) override
    {
        if (writeAttempts++ == failingWrite)
            return false;
        writes.emplace_back(data, data + size);
        return true;
    }

    std::deque<std::pair<ReadResult, std::uint8_t>> script;
    std::size_t failingWrite = SIZE_MAX; // index of the write attempt that fails
    std::vector<BridgeHandle> configured;
    bool configureTaken = true;
    std::vector<Bytes> writes;
    std::size_t writeAttempts = 0;
    int readCalls = 0;
    std::function<void(int)> onRead; // given the count of reads so far
};

// The unit's side of a pass with one file: the count, a one-frame image
// (event table at 32, 4 bytes counting up from 0xA1; header words
// big-endian) and the end frame.
inline void QueueOneFileLog(FakeSerialChannel& channel, std::uint8_t logFlag = 1)
{
    Bytes image(32, 0);
    image[0] = logFlag;
    image[7] = 0x20;
    image[9] = 0x04;
    const Bytes table = Pattern(4, 0xA1);
    image.insert(image.end(), table.begin(), table.end());
    channel.QueueBytes(CodeFrame(0, 0, {1}));
    channel.QueueBytes(CodeFrame(1, 0, image));
    channel.QueueBytes(CodeFrame(0, 0, {}));
}

struct FakeBridge {
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    bool openFails = false;
};

// The bridge at index i has handle 100 + i; every call is logged in order.
class FakeBridgeLibrary : public BridgeLibrary {
public:
    void GetNumDevices(std::uint32_t& count) override
    {
        calls.push_back("count");
        count = static_cast<std::uint32_t>(attached.size());
    }
    int Open(std::uint32_t index, BridgeHandle& handle) override
    {
        calls.push_back("open " + std::to_string(index));
        if (attached.at(index).openFails)
            return 2;
        handle = 100 + index;
        return 0;
    }
    void GetVid(BridgeHandle handle, std::uint16_t& vid) override { vid = Logged("vid ", handle).vid; }
    void GetPid(BridgeHandle handle, std::uint16_t& pid) override { pid = Logged("pid ", handle).pid; }
    void Close(BridgeHandle handle) override
    {
        calls.push_back("close " + std::to_string(handle));
        ++closes[handle];
    }
    bool GetListedIds(std::uint32_t index, std::uint16_t& vid, std::uint16_t& pid) override
    {
        if (!listsIds)
            return false;
        calls.push_back("listed " + std::to_string(index));
        vid = attached.at(index).vid;
        pid = attached.at(index).pid;
        return true;
    }

    std::vector<FakeBridge> attached;
    // Like the system's listings; the bridge maker's library lists nothing.
    bool listsIds = false;
    std::vector<std::string> calls;
    std::map<BridgeHandle, int> closes;

private:
    const FakeBridge& Logged(const char* call, BridgeHandle handle)
    {
        calls.push_back(call + std::to_string(handle));
        return attached.at(handle - 100);
    }
};

// Logs every call as a short line and answers each prompt from its script;
// an exhausted script answers Exit / Cancel (0).
class FakeShell : public DownloadShell {
public:
    void SetProgress(int position) override
    {
        Log("progress " + std::to_string(position));
        if (onProgress)
            onProgress(position);
    }
    void HideMainWindow() override { Log("hide"); }
    void ShowMainWindow() override { Log("show"); }
    NotConnectedChoice ShowDeviceNotConnected() override
    {
        return static_cast<NotConnectedChoice>(Answer("not connected"));
    }
    DeviceEmptyResult ShowDeviceEmpty() override { return static_cast<DeviceEmptyResult>(Answer("empty")); }
    DataFoundChoice ShowDataFound() override { return static_cast<DataFoundChoice>(Answer("data found")); }
    std::optional<std::string> ShowSaveFile() override
    {
        if (Answer("save file") != static_cast<int>(SaveFileResult::Save))
            return std::nullopt;
        return savePath;
    }
    SaveCompleteResult ShowSaveComplete() override { return static_cast<SaveCompleteResult>(Answer("save complete")); }
    void PostQuit() override { Log("quit"); }
    void ShowMessage(std::string_view text) override { Log("message: " + std::string(text)); }

    std::vector<std::string> log;
    std::map<std::string, std::deque<int>> answers{{"data found", {int(DataFoundChoice::Download)}},
                                                   {"save file", {int(SaveFileResult::Save)}}};
    std::string savePath = "/data/pump7";
    std::function<void(int)> onProgress;
    std::function<void(const std::string&)> onPrompt; // while the prompt is up

private:
    void Log(std::string line) { log.push_back(std::move(line)); }
    int Answer(const std::string& prompt)
    {
        Log(prompt);
        if (onPrompt)
            onPrompt(prompt);
        std::deque<int>& script = answers[prompt];
        if (script.empty())
            return 0;
        const int answer = script.front();
        script.pop_front();
        return answer;
    }
};

class RecordingSink : public MessageSink {
public:
    void ShowMessage(std::string_view text) override { shown.emplace_back(text); }
    void Diagnose(std::string_view text) override { notes.emplace_back(text); }
    std::vector<std::string> shown;
    std::vector<std::string> notes;
};

} // namespace k4::test
