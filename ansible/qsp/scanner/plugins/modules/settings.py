#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: the QSP developers

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: settings
short_description: Make barcode scanners hold a QSP profile or parameter file
description:
  - Makes each scanner on the managed host hold a QSP profile (C(*.qsp-profile)) or a parameter
    file (C(*.Dec)), as C(qspctl write) does. A scanner that already holds it is not programmed.
  - Each scanner is first read with C(qspctl check); only a scanner that differs is programmed,
    with C(qspctl write), so the task reports changed only when a byte was programmed.
  - In check mode nothing is programmed, and changed says whether a scanner would be.
  - With diff mode the rows that change are shown, page by page, before and after.
  - A scanner stays on its host link (computer type and interface) unless O(change_link).
version_added: "1.0.0"
author: The QSP developers
extends_documentation_fragment:
  - qsp.scanner.link
attributes:
  check_mode:
    support: full
  diff_mode:
    support: full
options:
  src:
    description:
      - The profile or parameter file, on the managed host.
      - A name ending in C(.Dec) is a parameter file, whose block replaces the scanner's; any
        other file is a profile, whose rows are set on the scanner's own block.
    type: path
    required: true
  port:
    description:
      - The serial ports of the scanners, one or a list (C(1) is COM1).
      - Without it, the port of the settings folder.
    type: list
    elements: str
  change_link:
    description:
      - Let the source move a scanner to another host link. The scanner then no longer answers
        on the link it was programmed on.
    type: bool
    default: false
seealso:
  - module: qsp.scanner.info
'''

EXAMPLES = r'''
- name: The checkout scanners read what the shop profile says
  qsp.scanner.settings:
    src: /etc/qsp/shop.qsp-profile
    port: [1, 2]

- name: The USB scanner holds the warehouse parameter file
  qsp.scanner.settings:
    src: /etc/qsp/warehouse.Dec
    link: usb
'''

RETURN = r'''
scanners:
  description: What happened to each scanner, in the order of O(port).
  returned: always
  type: list
  elements: dict
  contains:
    port:
      description: The scanner's link, C(COM1), C(USB) or C(PS2).
      type: str
      sample: COM1
    result:
      description: >-
        C(programmed), C(unchanged) or C(failed); in check mode C(unchanged), C(differs) or
        C(failed).
      type: str
      sample: programmed
    message:
      description: qspctl's message for the scanner.
      type: str
      sample: Parameter is programmed successfully.
    bytes_changed:
      description: Bytes of the scanner's block that were (in check mode, would be) programmed.
      type: int
      sample: 4
    block_xor:
      description: >-
        Exclusive-or of the 512 bytes the scanner holds at the end (in check mode, now).
      type: int
      sample: 90
    rows:
      description: >-
        The rows that change, page by page, with the value before and after (as qspctl diff
        gives them).
      type: list
      elements: dict
      sample:
        - page: 22
          heading: Code 128 -{EAN128}
          label: Code128 Length Min
          before: " 5"
          after: " 4"
    kept_link:
      description: The source sets another host link and the scanner's own was kept.
      type: bool
    moved_link:
      description: The scanner was moved to the source's host link (O(change_link)).
      type: bool
qspctl_version:
  description: The version of qspctl on the managed host.
  returned: always
  type: str
  sample: 2.1.0
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.qsp.scanner.plugins.module_utils.qspctl import (
    LINK_ARGUMENTS, Qspctl, failures)


def rows_of(scanner):
    return [dict(page=r['page'], heading=r['heading'], label=r['label'],
                 before=r['first'], after=r['second']) for r in scanner['rows']]


def diff_of(scanner):
    """The scanner's changing rows as two texts, page by page."""
    sides = {'before': '', 'after': ''}
    page = None
    for row in scanner['rows']:
        for side, key in (('before', 'first'), ('after', 'second')):
            if row['page'] != page:
                sides[side] += '# %d %s\n' % (row['page'], row['heading'])
            if row[key] is not None:
                sides[side] += '%s = %s\n' % (row['label'], row[key].strip())
        page = row['page']
    if scanner['unshownBytes']:
        for side in sides:
            sides[side] += '# bytes no row shows\n'
    for byte in scanner['unshownBytes']:
        sides['before'] += 'byte %d = %d\n' % (byte['index'], byte['first'])
        sides['after'] += 'byte %d = %d\n' % (byte['index'], byte['second'])
    return dict(before_header='%s (now)' % scanner['port'],
                after_header='%s (wanted)' % scanner['port'], **sides)


def main():
    arguments = dict(
        src=dict(type='path', required=True),
        port=dict(type='list', elements='str'),
        change_link=dict(type='bool', default=False),
    )
    arguments.update(LINK_ARGUMENTS)
    module = AnsibleModule(argument_spec=arguments, supports_check_mode=True)
    p = module.params
    qspctl = Qspctl(module)
    args = [p['src']]
    if p['port']:
        args += ['--port', ','.join(p['port'])]
    if p['change_link']:
        args.append('--change-link')

    rc, checked = qspctl.run('check', args)
    version = checked.get('qspctl_version')
    scanners = [dict(port=s['port'], result=s['result'], message=s['message'],
                     bytes_changed=s.get('bytes_changed', 0), block_xor=s.get('block_xor'),
                     rows=rows_of(s) if 'rows' in s else [],
                     kept_link=s.get('kept_link', False), moved_link=s.get('moved_link', False))
                for s in checked['scanners']]
    if rc not in (0, 3):
        qspctl.fail(failures(checked), scanners=scanners, qspctl_version=version)
    differing = [s for s in checked['scanners'] if s['result'] == 'differs']
    diff = [diff_of(s) for s in differing] if module._diff else None

    if differing and not module.check_mode:
        # write programs only the scanners that differ; those that hold the source stay as
        # they are.
        rc, written = qspctl.run('write', args)
        outcomes = dict((s['port'], s) for s in written['scanners'])
        for scanner in scanners:
            done = outcomes.get(scanner['port'])
            if done:
                scanner.update(result=done['result'], message=done['message'],
                               bytes_changed=done['bytes_changed'], block_xor=done['block_xor'])
        if rc != 0:
            qspctl.fail(failures(written), changed=any(s['result'] == 'programmed'
                                                       for s in scanners),
                        scanners=scanners, qspctl_version=version)

    changed = bool(differing) if module.check_mode else any(
        s['result'] == 'programmed' for s in scanners)
    for scanner in scanners:
        if scanner['result'] == 'holds':
            scanner['result'] = 'unchanged'
    result = dict(changed=changed, scanners=scanners, qspctl_version=version)
    if diff is not None:
        result['diff'] = diff
    module.exit_json(**result)


if __name__ == '__main__':
    main()
