#include "app/CVNInfo.h"

bool& TCVNInfo::Wanted(int index) {
    switch (index) {
    case 0:
        return CRC32Wanted;
    case 1:
        return SHA1Wanted;
    case 2:
        return SHA256Wanted;
    case 3:
        return SHA512Wanted;
    default:
        return MD5Wanted;
    }
}

QString& TCVNInfo::Digest(int index) {
    switch (index) {
    case 0:
        return CRC32Digest;
    case 1:
        return SHA1Digest;
    case 2:
        return SHA256Digest;
    case 3:
        return SHA512Digest;
    default:
        return MD5Digest;
    }
}

int TCVNInfo::FirstMissing() {
    for (int index = 0; index <= 4; ++index)
        if (Wanted(index) && Digest(index).isEmpty())
            return index;
    return -1;
}

void RefreshInfoStatus(TCVNInfo& info) {
    if (info.Status == TCVNInfo::StatusCalculating)
        return;
    info.Status = info.FirstMissing() >= 0 ? TCVNInfo::StatusWaiting : TCVNInfo::StatusDone;
}
