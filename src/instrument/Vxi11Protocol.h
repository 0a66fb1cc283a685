#pragma once
// The VXI-11 core channel's calls and their XDR encodings, shared by the transport and the
// simulated instrument's server.
#include <cstdint>

#include <rpc/rpc.h>

namespace tw::vxi11 {

inline constexpr u_int kCoreProgram = 0x0607AF;
inline constexpr u_int kCoreVersion = 1;
inline constexpr u_int kPortmapperPort = 111;

enum Procedure : u_int {
    kCreateLink = 10,
    kDeviceWrite = 11,
    kDeviceRead = 12,
    kDestroyLink = 23,
};

// Device_Flags and the reasons a device_read ends.
inline constexpr int kFlagEnd = 0x08;
inline constexpr int kReasonRequestCount = 0x01;
inline constexpr int kReasonTermChar = 0x02;
inline constexpr int kReasonEnd = 0x04;

// Device_ErrorCode values this program produces or names.
enum Error : int {
    kNoError = 0,
    kSyntaxError = 1,
    kOutOfResources = 9,
    kInvalidLink = 4,
    kParameterError = 5,
    kIoTimeout = 15,
    kIoError = 17,
};

// What an instrument may announce as maxRecvSize: "any size". A device_write is never longer than
// kMostWritePiece whatever the instrument takes.
inline constexpr std::uint32_t kUnboundedRecv = 0xFFFFFFFFu;
inline constexpr std::uint32_t kMostWritePiece = 1u << 20;
// The most bytes one device_read asks for (and the simulator answers with).
inline constexpr std::uint32_t kMostReadPiece = 1u << 20;
// The longest device name either side takes.
inline constexpr u_int kMostDeviceName = 256;

struct CreateLinkParms {
    int clientId = 0;
    bool_t lockDevice = 0;
    u_int lockTimeout = 0;
    char* device = nullptr;
    u_int deviceSize = 0;
};
struct CreateLinkResp {
    int error = 0;
    int lid = 0;
    u_int abortPort = 0; // an unsigned short on the wire, as an XDR unsigned int
    u_int maxRecvSize = 0;
};
struct WriteParms {
    int lid = 0;
    u_int ioTimeout = 0;
    u_int lockTimeout = 0;
    int flags = 0;
    u_int size = 0;
    char* data = nullptr;
};
struct WriteResp {
    int error = 0;
    u_int size = 0;
};
struct ReadParms {
    int lid = 0;
    u_int requestSize = 0;
    u_int ioTimeout = 0;
    u_int lockTimeout = 0;
    int flags = 0;
    char termChar = '\n';
};
// Decoding puts at most `capacity` bytes into `data`, which the caller provides.
struct ReadResp {
    int error = 0;
    int reason = 0;
    u_int size = 0;
    char* data = nullptr;
    u_int capacity = 0;
};
struct DeviceError {
    int error = 0;
};

bool_t XdrCreateLinkParms(XDR* x, CreateLinkParms* p);
bool_t XdrCreateLinkResp(XDR* x, CreateLinkResp* p);
// Variable-length data (opaque<> and string<>) decodes into the caller's buffer when one is set
// (a device_read answer: at most `capacity` bytes), else it points into the XDR memory buffer
// (the simulator decodes calls from one bounded record, without copies).
bool_t XdrWriteParms(XDR* x, WriteParms* p);
bool_t XdrWriteResp(XDR* x, WriteResp* p);
bool_t XdrReadParms(XDR* x, ReadParms* p);
bool_t XdrReadResp(XDR* x, ReadResp* p);
bool_t XdrDeviceError(XDR* x, DeviceError* p);
bool_t XdrLink(XDR* x, int* lid);

} // namespace tw::vxi11
