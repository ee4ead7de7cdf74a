#include "render/wic/wic_session.h"

#include <cstdio>

WicSession::WicSession()
{
    const HRESULT started =
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    comStarted_ = SUCCEEDED(started); // S_OK, or S_FALSE when it was already started: both count
    if (FAILED(started) && started != RPC_E_CHANGED_MODE) {
        status_ = started;
        return;
    }
    status_ = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                               IID_PPV_ARGS(factory_.GetAddressOf()));
}

WicSession::~WicSession()
{
    factory_.Reset();
    if (comStarted_)
        CoUninitialize();
}

std::string wicFailure(const char* what, HRESULT result)
{
    char text[160];
    std::snprintf(text, sizeof text, "%s (error 0x%08lX)", what,
                  static_cast<unsigned long>(result));
    return text;
}

std::wstring widePath(const char* path)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}
