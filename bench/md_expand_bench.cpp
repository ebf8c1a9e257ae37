// Expansion and token replacement of a Mandorel of 1,000 template steps, a token in every
// action; items per second are actions per second.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "md_mandorel.h"
#include "md_templates.h"
#include "md_tokenlist.h"
#include "vko_folder.h"

namespace {

constexpr int CSchritte = 1000;
constexpr int CVorlagen = 10;

void SchreibeKatalog() {
    QByteArray ini = "[TEMPLATES]\n";
    for (int i = 0; i < CVorlagen; ++i) {
        ini += "VORLAGE_" + QByteArray::number(i) + "\n";
    }
    for (int i = 0; i < CVorlagen; ++i) {
        ini += "[VORLAGE_" + QByteArray::number(i) +
               "]\nSEQUENCE=TYPE \"#VON#\"; TYPE \"#BIS#\"; TYPE \"Abteilung #ABTEILUNG#\"; "
               "KEYS \"#TASTE#\"; TYPE \"#AUSGABEDATEI#\"\n";
    }
    ini += "[TOKENNAMES]\n#VON#=Von\n#BIS#=Bis\n#ABTEILUNG#=Abteilung\n#AUSGABEDATEI#=Datei\n";
    QFile file(VKO_FilePath(TVKOFolder::Einstellungen, QStringLiteral("MD_Templates.ini")));
    if (!file.open(QIODevice::WriteOnly) || file.write(ini) != ini.size()) {
        qFatal("cannot write the catalogue");
    }
}

std::unique_ptr<TZEP_MD_Mandorel> Mandorel(bool ADatumsplatzhalter) {
    auto mandorel = TZEP_MD_Mandorel::CreateNew(QStringLiteral("Messung"), QStringLiteral("PLON"));
    for (int i = 0; i < CSchritte; ++i) {
        mandorel->Sequence().Append(TZEP_GA_SingleAction{
            TZEP_GA_ActionKind::Template, QStringLiteral("VORLAGE_%1").arg(i % CVorlagen)});
    }
    auto& werte = mandorel->TokenValues();
    werte.insert(QStringLiteral("#VON#"), ADatumsplatzhalter
                                              ? QStringLiteral("#MONAT_NAECHSTER_ANFANG#")
                                              : QStringLiteral("01.02.2025"));
    werte.insert(QStringLiteral("#BIS#"), ADatumsplatzhalter ? QStringLiteral("#VORMONAT_ENDE#")
                                                             : QStringLiteral("28.02.2025"));
    werte.insert(QStringLiteral("#ABTEILUNG#"), QStringLiteral("Lager"));
    werte.insert(QStringLiteral("#TASTE#"), QStringLiteral("Tab"));
    return mandorel;
}

// Arg 0: fixed values; arg 1: two of the values are date placeholders.
void BM_ExpandMandorel(benchmark::State& AState) {
    SchreibeKatalog();
    TZEP_MD_TemplateList katalog;
    katalog.LoadTemplates();
    TZEP_MD_Tokenlist tokens;
    const auto mandorel = Mandorel(AState.range(0) != 0);
    std::int64_t aktionen = 0;
    for (auto _ : AState) {
        TZEP_GA_Sequence lauf;
        tokens.Static_TokenConversions_Set(mandorel->TokenValues());
        for (TZEP_GA_SingleAction schritt : mandorel->Sequence().Actions()) {
            if (schritt.Kind == TZEP_GA_ActionKind::Template) {
                benchmark::DoNotOptimize(katalog.Expand_Template(schritt.Text, lauf, tokens));
            } else {
                tokens.ReplaceToken(schritt);
                lauf.Append(schritt);
            }
        }
        aktionen += lauf.Count();
        benchmark::DoNotOptimize(lauf);
    }
    AState.SetItemsProcessed(aktionen);
}
BENCHMARK(BM_ExpandMandorel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // The catalogue goes into a settings folder of its own, never the user's.
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
