// SPDX-License-Identifier: GPL-3.0-or-later
// The host's property bag as the chessboard control sees it: named values kept under lower-case keys,
// plus the host's record of which properties a control reported as changed (so it knows what to save).
#pragma once
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

class PropertyBag {
  public:
    // The stored value, or vDefault when the key is missing. Names are not case-sensitive.
    QVariant ReadProperty(const QString& sName, const QVariant& vDefault = QVariant()) const;
    // Stores vValue. A value equal to a given vDefault is not stored (and removes an older one).
    void WriteProperty(const QString& sName, const QVariant& vValue, const QVariant& vDefault = QVariant());
    bool Contains(const QString& sName) const;
    QStringList Keys() const;  // lower-case, sorted
    void Clear();

    // A control reports that one of its persistent properties changed.
    void PropertyChanged(const QString& sName);
    QStringList ChangedProperties() const { return m_changed; }  // names as reported, oldest first
    void ClearChanged() { m_changed.clear(); }

  private:
    QMap<QString, QVariant> m_values;
    QStringList m_changed;
};
