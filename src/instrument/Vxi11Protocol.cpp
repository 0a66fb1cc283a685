#include "instrument/Vxi11Protocol.h"

namespace tw::vxi11 {

namespace {

bool_t VarBytes(XDR* x, char** data, u_int* size, u_int most) {
    if (x->x_op == XDR_FREE)
        return TRUE;
    if (x->x_op == XDR_ENCODE)
        return xdr_u_int(x, size) && xdr_opaque(x, *data, *size);
    if (!xdr_u_int(x, size) || *size > most)
        return FALSE;
    if (*data)
        return xdr_opaque(x, *data, *size);
    const u_int padded = (*size + 3) & ~3u;
    if (padded < *size)
        return FALSE;
    *data = reinterpret_cast<char*>(xdr_inline(x, static_cast<int>(padded)));
    return *data != nullptr;
}

} // namespace

bool_t XdrCreateLinkParms(XDR* x, CreateLinkParms* p) {
    return xdr_int(x, &p->clientId) && xdr_bool(x, &p->lockDevice) &&
           xdr_u_int(x, &p->lockTimeout) &&
           VarBytes(x, &p->device, &p->deviceSize, kMostDeviceName);
}

bool_t XdrCreateLinkResp(XDR* x, CreateLinkResp* p) {
    return xdr_int(x, &p->error) && xdr_int(x, &p->lid) && xdr_u_int(x, &p->abortPort) &&
           xdr_u_int(x, &p->maxRecvSize);
}

bool_t XdrWriteParms(XDR* x, WriteParms* p) {
    return xdr_int(x, &p->lid) && xdr_u_int(x, &p->ioTimeout) && xdr_u_int(x, &p->lockTimeout) &&
           xdr_int(x, &p->flags) && VarBytes(x, &p->data, &p->size, ~0u);
}

bool_t XdrWriteResp(XDR* x, WriteResp* p) {
    return xdr_int(x, &p->error) && xdr_u_int(x, &p->size);
}

bool_t XdrReadParms(XDR* x, ReadParms* p) {
    return xdr_int(x, &p->lid) && xdr_u_int(x, &p->requestSize) && xdr_u_int(x, &p->ioTimeout) &&
           xdr_u_int(x, &p->lockTimeout) && xdr_int(x, &p->flags) && xdr_char(x, &p->termChar);
}

bool_t XdrReadResp(XDR* x, ReadResp* p) {
    return xdr_int(x, &p->error) && xdr_int(x, &p->reason) &&
           VarBytes(x, &p->data, &p->size, p->data ? p->capacity : ~0u);
}

bool_t XdrDeviceError(XDR* x, DeviceError* p) {
    return xdr_int(x, &p->error);
}

bool_t XdrLink(XDR* x, int* lid) {
    return xdr_int(x, lid);
}

} // namespace tw::vxi11
