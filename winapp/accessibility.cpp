#include "winapp/accessibility.h"

// The GUIDs of the property service are defined here, in this file alone.
#include <initguid.h>
#include <oleacc.h>

namespace vaveze::win {

void SetAccessibleName(HWND control, const std::wstring& name)
{
    IAccPropServices* services = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                  reinterpret_cast<void**>(&services))))
        return;
    (void)services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                                   name.c_str());
    services->Release();
}

}  // namespace vaveze::win
