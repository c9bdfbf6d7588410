#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: the QSP developers

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: info
short_description: Read what a barcode scanner holds
description:
  - Reads the scanner on the managed host with C(qspctl read) and gives its link, its port, the
    exclusive-or of its block and the rows whose value differs from the factory value of its
    host link (as C(qspctl export) gives them), with the version of qspctl.
  - Nothing is programmed; the module runs the same in check mode.
version_added: "1.0.0"
author: The QSP developers
extends_documentation_fragment:
  - qsp.scanner.link
attributes:
  check_mode:
    support: full
  diff_mode:
    support: none
options:
  port:
    description:
      - The serial port of the scanner (C(1) is COM1). Without it, the port of the settings
        folder. Not used on C(usb) and C(ps2).
    type: str
seealso:
  - module: qsp.scanner.settings
'''

EXAMPLES = r'''
- name: What the checkout scanner holds
  qsp.scanner.info:
    port: "1"
  register: checkout

- name: Its minimum Code 128 length
  ansible.builtin.debug:
    msg: "{{ checkout.scanner.rows['Code 128 -{EAN128}']['Code128 Length Min'] }}"
'''

RETURN = r'''
scanner:
  description: What the scanner holds.
  returned: success
  type: dict
  contains:
    link:
      description: The link it was read on.
      type: str
      sample: rs232
    port:
      description: The scanner's port or device, C(COM1), C(USB) or C(PS2).
      type: str
      sample: COM1
    block_xor:
      description: Exclusive-or of the 512 bytes of its block.
      type: int
      sample: 90
    rows:
      description: >-
        The rows whose value differs from the factory value of its host link: page heading,
        then label, then value as a profile writes it. A label a page holds more than once has
        the list of its values.
      type: dict
      sample: {"Code 128 -{EAN128}": {"Code128 Length Min": "4"}}
qspctl_version:
  description: The version of qspctl on the managed host.
  returned: always
  type: str
  sample: 2.1.0
'''

import os

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.qsp.scanner.plugins.module_utils.qspctl import (
    LINK_ARGUMENTS, Qspctl, failures)


def rows_by_page(rows):
    pages = {}
    for row in rows:
        page = pages.setdefault(row['heading'], {})
        if row['label'] not in page:
            page[row['label']] = row['value']
        elif isinstance(page[row['label']], list):
            page[row['label']].append(row['value'])
        else:
            page[row['label']] = [page[row['label']], row['value']]
    return pages


def main():
    arguments = dict(port=dict(type='str'))
    arguments.update(LINK_ARGUMENTS)
    module = AnsibleModule(argument_spec=arguments, supports_check_mode=True)
    qspctl = Qspctl(module)
    image = os.path.join(module.tmpdir, 'scanner.Dec')
    args = ['-o', image]
    if module.params['port']:
        args += ['--port', module.params['port']]
    rc, read = qspctl.run('read', args)
    version = read.get('qspctl_version')
    if rc != 0:
        qspctl.fail(failures(read), qspctl_version=version)
    scanner = read['scanners'][0]
    rc, exported = qspctl.run('export', [image], link=False)
    module.exit_json(changed=False, qspctl_version=version,
                     scanner=dict(link=module.params['link'], port=scanner['port'],
                                  block_xor=scanner['block_xor'],
                                  rows=rows_by_page(exported['rows'])))


if __name__ == '__main__':
    main()
