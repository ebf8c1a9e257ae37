#pragma once

#include <QAbstractItemModel>
#include <QString>
#include <vector>

// The table of the report list: one group row per program display name, one child row per
// Mandorel, each with the columns "Anzeigename" and "Programm". Kept lean, because a store may
// hold a hundred thousand Mandorele.
class TZEP_MD_ReportListeModel : public QAbstractItemModel {
public:
    static constexpr int CSpalte_Anzeigename = 0;
    static constexpr int CSpalte_Programm = 1;

    struct TZeile {
        QString Anzeigename;
        QString Programm;
    };
    struct TGruppe {
        TZeile Kopf;
        std::vector<TZeile> Kinder;
    };

    using QAbstractItemModel::QAbstractItemModel;

    // Replaces every row.
    void SetGruppen(std::vector<TGruppe> AGruppen);
    // The row an index stands for; the group row when AIstGruppe is set.
    const TZeile& Zeile(const QModelIndex& AIndex, bool& AIstGruppe) const;

    QModelIndex index(int ARow, int AColumn, const QModelIndex& AParent = {}) const override;
    QModelIndex parent(const QModelIndex& AChild) const override;
    int rowCount(const QModelIndex& AParent = {}) const override;
    int columnCount(const QModelIndex& AParent = {}) const override;
    QVariant data(const QModelIndex& AIndex, int ARole = Qt::DisplayRole) const override;
    QVariant headerData(int ASection, Qt::Orientation AOrientation,
                        int ARole = Qt::DisplayRole) const override;

private:
    std::vector<TGruppe> FGruppen;
};
