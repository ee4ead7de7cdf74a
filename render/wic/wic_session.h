#pragma once

// COM on the calling thread and a Windows Imaging Component factory, for as long as the object
// lives. COM is started for the thread when it is not yet; a thread that already runs COM in
// the other threading model keeps it, since the factory serves both. Every successful start
// is matched by one CoUninitialize, after the factory is released.

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <string>

class WicSession {
public:
    WicSession();
    ~WicSession();
    WicSession(const WicSession&) = delete;
    WicSession& operator=(const WicSession&) = delete;

    // Null when COM or the factory could not be had; status() then says why.
    IWICImagingFactory* factory() const { return factory_.Get(); }
    HRESULT status() const { return status_; }

private:
    bool comStarted_ = false;
    HRESULT status_ = S_OK;
    Microsoft::WRL::ComPtr<IWICImagingFactory> factory_;
};

// "what failed (error 0x88982F50)", for the one-line reasons.
std::string wicFailure(const char* what, HRESULT result);

// A path in the program's code page (as fopen takes it) for the wide-character calls.
std::wstring widePath(const char* path);
