#include "md_gui_reportliste_model.h"

// A child index carries its group's row plus one; a group index carries zero.
void TZEP_MD_ReportListeModel::SetGruppen(std::vector<TGruppe> AGruppen) {
    beginResetModel();
    FGruppen = std::move(AGruppen);
    endResetModel();
}

const TZEP_MD_ReportListeModel::TZeile& TZEP_MD_ReportListeModel::Zeile(const QModelIndex& AIndex,
                                                                        bool& AIstGruppe) const {
    AIstGruppe = AIndex.internalId() == 0;
    const TGruppe& gruppe =
        FGruppen.at(AIstGruppe ? std::size_t(AIndex.row()) : std::size_t(AIndex.internalId() - 1));
    return AIstGruppe ? gruppe.Kopf : gruppe.Kinder.at(std::size_t(AIndex.row()));
}

QModelIndex TZEP_MD_ReportListeModel::index(int ARow, int AColumn,
                                            const QModelIndex& AParent) const {
    if (!hasIndex(ARow, AColumn, AParent)) {
        return {};
    }
    return AParent.isValid() ? createIndex(ARow, AColumn, quintptr(AParent.row()) + 1)
                             : createIndex(ARow, AColumn, quintptr(0));
}

QModelIndex TZEP_MD_ReportListeModel::parent(const QModelIndex& AChild) const {
    if (!AChild.isValid() || AChild.internalId() == 0) {
        return {};
    }
    return createIndex(int(AChild.internalId() - 1), 0, quintptr(0));
}

int TZEP_MD_ReportListeModel::rowCount(const QModelIndex& AParent) const {
    if (!AParent.isValid()) {
        return int(FGruppen.size());
    }
    if (AParent.internalId() != 0 || AParent.column() != 0) {
        return 0;
    }
    return int(FGruppen.at(std::size_t(AParent.row())).Kinder.size());
}

int TZEP_MD_ReportListeModel::columnCount(const QModelIndex&) const {
    return 2;
}

QVariant TZEP_MD_ReportListeModel::data(const QModelIndex& AIndex, int ARole) const {
    if (!AIndex.isValid() || (ARole != Qt::DisplayRole && ARole != Qt::AccessibleTextRole)) {
        return {};
    }
    bool istGruppe = false;
    const TZeile& zeile = Zeile(AIndex, istGruppe);
    return AIndex.column() == CSpalte_Anzeigename ? zeile.Anzeigename : zeile.Programm;
}

QVariant TZEP_MD_ReportListeModel::headerData(int ASection, Qt::Orientation AOrientation,
                                              int ARole) const {
    if (AOrientation != Qt::Horizontal || ARole != Qt::DisplayRole) {
        return {};
    }
    return ASection == CSpalte_Anzeigename ? QStringLiteral("Anzeigename")
                                           : QStringLiteral("Programm");
}
