#pragma once

class TargetModel;

// What a target needs of the session that owns it: making it the one selected target.
class TargetSelector
{
public:
    virtual ~TargetSelector() = default;
    virtual void select(TargetModel *target) = 0;
};
