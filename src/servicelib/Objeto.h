#pragma once

// Every class of the service library derives from this, so that the registry
// can create any of them by class name and hand it out as the interface asked for.
class Objeto {
public:
    virtual ~Objeto() = default;
};
