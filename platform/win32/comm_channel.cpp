// The serial channel on a Windows communications handle (a bridge's COM
// port): the unit's line settings, and single-byte reads that give up after
// the 100 ms read time-out.
#include <windows.h>

#include "platform/shared/system_reason.h"
#include "platform/system_bridges.h"

namespace k4 {

namespace {

// An empty read is either the time-out running out or a port that has gone:
// some drivers (wine's on a hung-up pseudo-terminal among them) go on
// answering reads with no bytes after the device has gone, and only the
// port's status tells. A handle that is no port at all reads on as empty.
bool PortStillThere(HANDLE port)
{
    DWORD errors = 0;
    COMSTAT status{};
    if (ClearCommError(port, &errors, &status))
        return true;
    switch (GetLastError()) {
    case ERROR_NOT_READY:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_BAD_COMMAND:
    case ERROR_ACCESS_DENIED:
    case ERROR_GEN_FAILURE:
    case ERROR_OPERATION_ABORTED: return false;
    default: return true;
    }
}

HANDLE PortOf(BridgeHandle handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

class CommChannel final : public SerialChannel {
public:
    bool Configure(BridgeHandle handle) override
    {
        const HANDLE port = PortOf(handle);
        // 5 ms between bytes, 100 ms in all for one read; writes never time out.
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = 5;
        timeouts.ReadTotalTimeoutMultiplier = 0;
        timeouts.ReadTotalTimeoutConstant = 100;
        timeouts.WriteTotalTimeoutMultiplier = 0;
        timeouts.WriteTotalTimeoutConstant = 0;
        const bool timeoutsTaken = SetCommTimeouts(port, &timeouts) != FALSE;
        if (!timeoutsTaken)
            NoteSystemReason("read time-outs", LastSystemError());

        DCB settings{};
        settings.DCBlength = sizeof settings;
        if (!GetCommState(port, &settings)) {
            NoteSystemReason("line settings", LastSystemError());
            return false;
        }
        // Only what the unit needs changes; the driver's other flags stay.
        settings.BaudRate = 128000;
        settings.ByteSize = 8;
        settings.Parity = NOPARITY;
        settings.StopBits = ONESTOPBIT;
        settings.fParity = FALSE;
        settings.fOutX = FALSE;
        settings.fInX = FALSE;
        settings.fDtrControl = DTR_CONTROL_ENABLE;
        settings.fRtsControl = RTS_CONTROL_ENABLE;
        settings.XonLim = 0x7000;
        settings.XoffLim = 0x1C00;
        settings.XonChar = 0x11;
        settings.XoffChar = 0x13;
        const bool stateTaken = SetCommState(port, &settings) != FALSE;
        if (!stateTaken)
            NoteSystemReason("line settings (128000 baud, 8N1)", LastSystemError());

        // Bytes left over from an earlier session would be taken for the
        // start of the first reply.
        PurgeComm(port, PURGE_RXCLEAR);
        return timeoutsTaken && stateTaken;
    }

    ReadResult ReadByte(BridgeHandle handle, std::uint8_t& byte) override
    {
        BYTE received = 0;
        DWORD count = 0;
        if (!ReadFile(PortOf(handle), &received, 1, &count, nullptr)) {
            if (GetLastError() == ERROR_IO_PENDING)
                return ReadResult::Empty;
            NoteSystemReason("read", LastSystemError());
            return ReadResult::Failed;
        }
        if (count == 0) {
            if (PortStillThere(PortOf(handle)))
                return ReadResult::Empty;
            NoteSystemReason("read", LastSystemError());
            return ReadResult::Failed;
        }
        byte = received;
        return ReadResult::Byte;
    }

    bool Write(BridgeHandle handle, const std::uint8_t* data, std::size_t size) override
    {
        while (size > 0) {
            const DWORD chunk = size > 0x10000 ? 0x10000 : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!WriteFile(PortOf(handle), data, chunk, &written, nullptr) || written == 0) {
                NoteSystemReason("write", LastSystemError());
                return false;
            }
            data += written;
            size -= written;
        }
        return true;
    }
};

} // namespace

std::unique_ptr<SerialChannel> MakeSystemSerialChannel()
{
    return std::make_unique<CommChannel>();
}

} // namespace k4
