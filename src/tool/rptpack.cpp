// Enciphers a report template source with the report key:
//   qbrptpack IN.xsl OUT.rpt
#include <cstdio>

#include <QFile>

#include "store/ClsAX.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: qbrptpack IN.xsl OUT.rpt\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "qbrptpack: cannot read %s\n", argv[1]);
        return 1;
    }
    QByteArray text = in.readAll();
    qb::ClsAX::EnDeCryptBytes(text, qb::ReportKey());
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(text) != text.size()) {
        std::fprintf(stderr, "qbrptpack: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
