#pragma once

#include "Form.h"

namespace varnook {

class frmAbout : public Form {
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

protected:
    bool Form_Load() override;
};

} // namespace varnook
