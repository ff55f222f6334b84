#pragma once
#include "servicelib/Objeto.h"
#include <QString>

namespace kesa5 {

class DeEquipo : public Objeto {
public:
    virtual QString NetName() = 0;
};

}  // namespace kesa5
