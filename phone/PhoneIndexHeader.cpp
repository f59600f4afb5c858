#include "phone/PhoneIndexHeader.h"

namespace tapelink {

bool PhoneIndexHeader::hasClearedFieldsSet() const {
    return clearedByte() != 0 || clearedWord1() != 0 || clearedWord2() != 0 || clearedWord3() != 0;
}

void PhoneIndexHeader::zeroClearedFields() {
    bytes[38] = 0;
    setWord(44, 0);
    setWord(46, 0);
    setWord(48, 0);
}

}  // namespace tapelink
