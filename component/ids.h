// The identities the host creates and calls the public classes by.
#pragma once

namespace korvane::component::ids {

inline constexpr const char* kLibraryId = "{61BB97BE-0400-43A1-95D8-C955FFAD425B}";
inline constexpr const char* kLibraryName = "KORVANE";

inline constexpr const char* kReturnInvSetClsid = "{9D72079E-13BD-4230-A1F1-618C79F30A27}";
inline constexpr const char* kReturnInvSetIid = "{44A3BB5B-EBF2-4615-91B3-37AD7F2239E4}";
inline constexpr const char* kTrackSetClsid = "{C2066D11-406F-4DB1-8444-C6BF02042511}";
inline constexpr const char* kTrackSetIid = "{07B22593-BF15-4B24-8763-60573E404271}";
inline constexpr const char* kPositionSetClsid = "{E4EB97B6-D98E-44B3-9032-50CE0844F568}";
inline constexpr const char* kPositionSetIid = "{808EFCCF-E3B1-4E56-848C-5B7057F157FF}";
inline constexpr const char* kRefSelectClsid = "{5BFEC5F7-BBD0-4C84-8162-CE90B5C233F8}";
inline constexpr const char* kRefSelectIid = "{9956F9AD-3DB9-432B-B6DB-954B3CA41793}";
inline constexpr const char* kProduceOrderClsid = "{7CA07253-929A-41AA-BFC3-18DC9DAD947E}";
inline constexpr const char* kProduceOrderIid = "{45172378-36B5-4EC9-AE1E-2EB3DD415A51}";

}  // namespace korvane::component::ids
