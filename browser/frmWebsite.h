#pragma once

#include "Form.h"

namespace varnook {

// The program's own browser window.
class frmWebsite : public Form {
    Q_OBJECT

public:
    explicit frmWebsite(QWidget *parent = nullptr);

protected:
    bool Form_Load() override;
    void Form_Unload() override;
};

} // namespace varnook
