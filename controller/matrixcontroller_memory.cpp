// The memory intents of MatrixController: recall, store, preview, and the unsaved lamp.
#include "controller/matrixcontroller.h"

namespace corvane {

void MatrixController::pressMemoryKey(int memory) {
    if (!IsMemory(memory)) return;
    if (m_keys.step() == Step::StoreSelect) {
        storeUnitMemory(m_model.selectedUnit(), memory);
        return;
    }
    if (m_keys.step() == Step::PreviewSelect) {
        startPreview(memory);
        return;
    }
    recallMemory(memory, Origin::Operator);
}

void MatrixController::recallMemory(int memory, Origin origin) {
    // A memory number outside 0..4 names no slot; the model stays as it is.
    if (!IsMemory(memory)) return;
    m_model.recallMemory(memory);
    if (SendsToUnit(origin, Change::Recall)) {
        const int unit = m_model.selectedUnit();
        send(RequestCode::Recall, static_cast<std::uint16_t>(m_model.currentMemory(unit)),
             static_cast<std::uint16_t>(unit));
        m_keys.endArmedStep();
    }
    Q_EMIT gridChanged();
    showEveryUnit();
    Q_EMIT memoryLampsChanged();
    updateMemoryStatus();
}

void MatrixController::storeUnitMemory(int unit, int memory) {
    if (!IsUnit(unit) || !IsMemory(memory)) return;
    m_keys.endArmedStep();
    const bool otherMemory = m_model.currentMemory(unit) != memory;
    m_model.setCurrentMemory(unit, memory);
    m_model.storeMemory(unit, memory);
    if (otherMemory) {
        // The other units now work on their copy of the memory; for this unit nothing changes.
        m_model.recallMemory(memory);
        Q_EMIT gridChanged();
        showEveryUnit();
        Q_EMIT memoryLampsChanged();
        updateMemoryStatus();
    }
    send(RequestCode::Store, static_cast<std::uint16_t>(memory), static_cast<std::uint16_t>(unit));
}

void MatrixController::startPreview(int memory) {
    m_keys.startPreview(memory);
    // A preview must end by itself, however it was started.
    m_blinkTimer.setEnabled(true);
    Q_EMIT promptsChanged(QStringLiteral("PREVIEW"), QStringLiteral("Selected Memory"));
    Q_EMIT gridChanged();
}

void MatrixController::applyStored(int unit, int memory) {
    // A front panel's store puts every unit on the memory; only `unit`'s work memory goes into it.
    for (int u = 0; u < kUnits; ++u) m_model.setCurrentMemory(u, memory);
    m_model.storeMemory(unit, memory);
    Q_EMIT gridChanged();
    Q_EMIT unitMapChanged(m_model.selectedUnit());
    Q_EMIT memoryLampsChanged();
    updateMemoryStatus();
}

void MatrixController::updateMemoryStatus() {
    if (m_model.unsaved(m_model.selectedUnit())) {
        m_blinkTimer.setEnabled(true);
    } else {
        if (!m_keys.armed()) m_blinkTimer.setEnabled(false);
        m_keys.resetPhase();
        Q_EMIT memoryLampsChanged();
    }
    Q_EMIT indicatorsChanged();
}

void MatrixController::blinkTick() {
    if (m_keys.armed()) {
        const BlinkTick tick = m_keys.tick();
        if (tick.half) showPattern(*tick.half);
        // The on half that reaches the limit is replaced by the end at once.
        if (tick.end) showPattern(*tick.end);
        return;
    }
    const int unit = m_model.selectedUnit();
    if (!m_model.unsaved(unit)) {
        Q_EMIT memoryLampsChanged();
        updateMemoryStatus();
        m_blinkTimer.setEnabled(false);
        m_keys.resetPhase();
        return;
    }
    const int memory = m_model.currentMemory(unit);
    Q_EMIT unsavedLampBlinked(memory, m_keys.flipPhase() == 0);
}

}  // namespace corvane
