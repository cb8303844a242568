#pragma once

#include "model/matrixmodel.h"

namespace corvane {

// What the remote control may ask of the program: the operator's own intents, nothing that opens
// or saves files. Every index is 0-based and already checked by the dispatch (unit present,
// channel, line and memory in range, layout offered for the slave count), so an implementation
// only has to do what the matching mouse action does: change the model, send the request, update
// the screen and end an armed function-key step as a grid click ends it. Each returns false when it
// was refused because too much already waits for the unit.
class RemoteControl {
  public:
    virtual ~RemoteControl() = default;

    // Normal routing: the line goes to the channel. Reverse routing: the channel listens to the line.
    virtual bool route(int unit, int channel, int line) = 0;
    // Normal routing: the line goes to no channel. Reverse routing: every channel listening to the
    // line gets no line, so in both orientations the line is afterwards heard on no channel.
    virtual bool disconnect(int unit, int line) = 0;
    // Recalls the memory on every unit, as a memory key does.
    virtual bool recall(int memory) = 0;
    // Stores the unit's work memory in the memory.
    virtual bool store(int unit, int memory) = 0;
    // Clears the unit's work memory.
    virtual bool clear(int unit) = 0;
    virtual bool setReverse(bool reverse) = 0;
    virtual bool selectUnit(int unit) = 0;
    virtual bool setArrangement(int layout) = 0;

    // The model the feedback and the range checks are read from.
    virtual const MatrixModel& model() const = 0;
};

}  // namespace corvane
