#include "setup/setup_forms.h"

#include "setup/colour_setup.h"
#include "setup/optnapps.h"
#include "setup/optnback.h"
#include "setup/optnbord.h"
#include "setup/optngrid.h"
#include "setup/optnlibs.h"
#include "setup/optnlnam.h"
#include "setup/optnlsiz.h"
#include "setup/optnpack.h"
#include "setup/optnplib.h"
#include "setup/optntext.h"
#include "setup/postapt.h"
#include "setup/quvdirs.h"

namespace tolvi {

namespace {
template <typename Form>
QWidget* Make(QWidget* parent) {
    return new Form(parent);
}
}  // namespace

const std::vector<SetupFormInfo>& SetupForms() {
    static const std::vector<SetupFormInfo> forms = {
        {"OPTNTEXT", &Make<OPTNTEXT>}, {"OPTNLSIZ", &Make<OPTNLSIZ>}, {"OPTNGRID", &Make<OPTNGRID>},
        {"OPTNLNAM", &Make<OPTNLNAM>}, {"OPTNCLLC", &Make<OPTNCLLC>}, {"OPTNCLSC", &Make<OPTNCLSC>},
        {"OPTNLCLR", &Make<OPTNLCLR>}, {"QUVDIRS", &Make<QUVDIRS>},   {"OPTNBACK", &Make<OPTNBACK>},
        {"OPTNBORD", &Make<OPTNBORD>}, {"OPTNFRMS", &Make<OPTNFRMS>}, {"OPTNPACK", &Make<OPTNPACK>},
        {"OPTNAPPS", &Make<OPTNAPPS>}, {"OPTNLIBS", &Make<OPTNLIBS>}, {"OPTNPLIB", &Make<OPTNPLIB>},
        {"POSTAPT", &Make<POSTAPT>},
    };
    return forms;
}

QWidget* CreateSetupForm(const std::string& name, QWidget* parent) {
    for (const SetupFormInfo& f : SetupForms())
        if (name == f.name) return f.make(parent);
    return nullptr;
}

}  // namespace tolvi
