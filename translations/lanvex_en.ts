<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Accessibility</name>
    <message>
        <source>当前生效</source>
        <translation>live</translation>
    </message>
    <message>
        <source>与所在网络匹配</source>
        <translation>matches the network</translation>
    </message>
    <message>
        <source>单位下发，只读</source>
        <translation>from the organisation, read-only</translation>
    </message>
</context>
<context>
    <name>AdvancedPages</name>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>IP地址</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>子网掩码</source>
        <translation>Subnet mask</translation>
    </message>
    <message>
        <source>网关</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>跃点数</source>
        <translation>Metric</translation>
    </message>
    <message>
        <source>更多IP地址：</source>
        <translation>More IP addresses:</translation>
    </message>
    <message>
        <source>默认网关跃点数：</source>
        <translation>Default gateway metric:</translation>
    </message>
    <message>
        <source>更多网关：</source>
        <translation>More gateways:</translation>
    </message>
    <message>
        <source>地址和网关</source>
        <translation>Addresses and gateways</translation>
    </message>
    <message>
        <source>DNS后缀：</source>
        <translation>DNS suffix:</translation>
    </message>
    <message>
        <source>DNS</source>
        <translation>DNS</translation>
    </message>
    <message>
        <source>不更改</source>
        <translation>Leave as it is</translation>
    </message>
    <message>
        <source>自动获取</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>静态</source>
        <translation>Static</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>IPv6地址</source>
        <translation>IPv6 address</translation>
    </message>
    <message>
        <source>前缀长度</source>
        <translation>Prefix length</translation>
    </message>
    <message>
        <source>IPv6工作方式：</source>
        <translation>IPv6 mode:</translation>
    </message>
    <message>
        <source>IPv6网关：</source>
        <translation>IPv6 gateway:</translation>
    </message>
    <message>
        <source>默认 DNS：</source>
        <translation>DNS:</translation>
    </message>
    <message>
        <source>备用 DNS：</source>
        <translation>Alt. DNS:</translation>
    </message>
    <message>
        <source>IPv6</source>
        <translation>IPv6</translation>
    </message>
    <message>
        <source>静态IPv6方式至少需要一个IPv6地址。</source>
        <translation>The static IPv6 mode needs at least one IPv6 address.</translation>
    </message>
    <message>
        <source>应用后网关须有回应</source>
        <translation>The gateway must answer after the apply</translation>
    </message>
    <message>
        <source>主机:端口,主机:端口</source>
        <translation>host:port,host:port</translation>
    </message>
    <message>
        <source>域名 或 域名=IP地址</source>
        <translation>name or name=IP address</translation>
    </message>
    <message>
        <source>运行程序</source>
        <translation>Programs</translation>
    </message>
    <message>
        <source>应用后运行：</source>
        <translation>Run after applying:</translation>
    </message>
    <message>
        <source>离开时运行：</source>
        <translation>Run on leaving:</translation>
    </message>
    <message>
        <source>时限（秒）：</source>
        <translation>Time limit (s):</translation>
    </message>
    <message>
        <source>应用后核对，不通过则恢复之前的设置</source>
        <translation>Checks after applying; the previous settings come back when one fails</translation>
    </message>
    <message>
        <source>须能连接：</source>
        <translation>Must connect to:</translation>
    </message>
    <message>
        <source>须能解析：</source>
        <translation>Must resolve:</translation>
    </message>
    <message>
        <source>程序</source>
        <translation>Programs</translation>
    </message>
    <message>
        <source>第 %1 行的%2有误。</source>
        <translation>Row %1, column “%2”: the value is not valid.</translation>
    </message>
    <message>
        <source>应用静态IP前检查该地址是否已被其他主机使用</source>
        <translation>Before a static IP is applied, check that no other host uses it</translation>
    </message>
    <message>
        <source>连接名称，以逗号分隔</source>
        <translation>Connection names, separated by commas</translation>
    </message>
    <message>
        <source>应用前</source>
        <translation>Before applying</translation>
    </message>
    <message>
        <source>断开连接：</source>
        <translation>Disconnect:</translation>
    </message>
    <message>
        <source>连接Wi-Fi网络：</source>
        <translation>Join Wi-Fi network:</translation>
    </message>
    <message>
        <source>应用后</source>
        <translation>After applying</translation>
    </message>
    <message>
        <source>防火墙区域：</source>
        <translation>Firewall zone:</translation>
    </message>
    <message>
        <source>计算机名：</source>
        <translation>Computer name:</translation>
    </message>
    <message>
        <source>建立连接：</source>
        <translation>Connect:</translation>
    </message>
    <message>
        <source>网络环境</source>
        <translation>Surroundings</translation>
    </message>
</context>
<context>
    <name>DesktopPages</name>
    <message>
        <source>不更改</source>
        <translation>Leave unchanged</translation>
    </message>
    <message>
        <source>不使用代理</source>
        <translation>No proxy</translation>
    </message>
    <message>
        <source>手动设置</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>自动配置脚本</source>
        <translation>Automatic configuration script</translation>
    </message>
    <message>
        <source>代理方式：</source>
        <translation>Proxy:</translation>
    </message>
    <message>
        <source>代理服务器：</source>
        <translation>Proxy server:</translation>
    </message>
    <message>
        <source>不使用代理的地址：</source>
        <translation>No proxy for:</translation>
    </message>
    <message>
        <source>自动配置脚本：</source>
        <translation>Configuration script:</translation>
    </message>
    <message>
        <source>代理</source>
        <translation>Proxy</translation>
    </message>
    <message>
        <source>自动配置脚本应为以http://、https://或file://开头的地址。</source>
        <translation>The configuration script must be an address starting with http://, https:// or file://.</translation>
    </message>
    <message>
        <source>不使用代理的地址有误：各项以逗号分隔，不能含空格或引号。</source>
        <translation>The addresses without proxy are not valid: separate them with commas, without blanks or quotes.</translation>
    </message>
    <message>
        <source>代理服务器应为“主机:端口”，端口为1到65535。</source>
        <translation>The proxy server must be “host:port”, with a port from 1 to 65535.</translation>
    </message>
    <message>
        <source>应用办公位置时，将其打印机设为默认打印机</source>
        <translation>When a site is applied, make its printer the default printer</translation>
    </message>
    <message>
        <source>打印机</source>
        <translation>Printer</translation>
    </message>
    <message>
        <source>此办公位置的打印机：%1</source>
        <translation>This site&apos;s printer: %1</translation>
    </message>
    <message>
        <source>此办公位置不更改打印机设置。</source>
        <translation>This site does not change the printer settings.</translation>
    </message>
</context>
<context>
    <name>EditorRules</name>
    <message>
        <source>新位置</source>
        <translation>New site </translation>
    </message>
    <message>
        <source>IP地址的格式不正确!</source>
        <translation>The IP address is not valid!</translation>
    </message>
    <message>
        <source>IP子网掩码的格式不正确!</source>
        <translation>The subnet mask is not valid!</translation>
    </message>
    <message>
        <source>IP默认网关的格式不正确!</source>
        <translation>The default gateway is not valid!</translation>
    </message>
    <message>
        <source>DNS的格式不正确!</source>
        <translation>The preferred DNS server is not valid!</translation>
    </message>
    <message>
        <source>备用DNS的格式不正确!</source>
        <translation>The alternate DNS server is not valid!</translation>
    </message>
    <message>
        <source>主WINS服务器的格式不正确!</source>
        <translation>The primary WINS server is not valid!</translation>
    </message>
    <message>
        <source>从WINS服务器的格式不正确!</source>
        <translation>The secondary WINS server is not valid!</translation>
    </message>
    <message>
        <source>名称不能为空!</source>
        <translation>The name must not be empty!</translation>
    </message>
    <message>
        <source>名称不能包含逗号、方括号或等号!</source>
        <translation>The name must not contain commas, square brackets or equals signs!</translation>
    </message>
    <message>
        <source>名称中含有无法保存的字符!</source>
        <translation>The name contains characters that cannot be saved!</translation>
    </message>
    <message>
        <source>已有同名的办公位置!</source>
        <translation>A site with this name already exists!</translation>
    </message>
</context>
<context>
    <name>FileFailure</name>
    <message>
        <source>文件或它所在的文件夹不存在。</source>
        <translation>The file or its folder does not exist.</translation>
    </message>
    <message>
        <source>没有权限，或者文件是只读的。</source>
        <translation>Permission denied, or the file is read-only.</translation>
    </message>
    <message>
        <source>这个位置上是一个文件夹。</source>
        <translation>There is a folder at this location.</translation>
    </message>
    <message>
        <source>它不是一个普通文件。</source>
        <translation>It is not a regular file.</translation>
    </message>
    <message>
        <source>磁盘空间不足。</source>
        <translation>The disk is full.</translation>
    </message>
    <message>
        <source>文件还有其他硬链接，替换它会使它们与它分离。</source>
        <translation>The file has other hard links, which replacing it would separate from it.</translation>
    </message>
    <message>
        <source>文件正被其他程序锁定，请稍后再试。</source>
        <translation>The file is locked by another program. Please try again later.</translation>
    </message>
    <message>
        <source>文件正在被其他程序不断修改，请稍后再试。</source>
        <translation>Another program keeps changing the file. Please try again later.</translation>
    </message>
    <message>
        <source>文件是一个无法解析的符号链接。</source>
        <translation>The file is a symbolic link that cannot be resolved.</translation>
    </message>
    <message>
        <source>没有程序在读取这个管道。</source>
        <translation>No program is reading from this pipe.</translation>
    </message>
    <message>
        <source>内容中含有文件无法保存的字符。</source>
        <translation>The content has characters that the file cannot store.</translation>
    </message>
    <message>
        <source>文件超过了本程序的上限（%1 MiB）。</source>
        <translation>The file is larger than this program&apos;s limit (%1 MiB).</translation>
    </message>
    <message>
        <source>系统错误（代码 %1）。</source>
        <translation>System error (code %1).</translation>
    </message>
    <message>
        <source>文件中的节（[...]）太多，不是本程序能读取的配置文件。</source>
        <translation>The file has too many sections ([...]) to be a settings file this program can read.</translation>
    </message>
</context>
<context>
    <name>HotkeyPage</name>
    <message>
        <source>主窗口或托盘图标运行时，按下快捷键即应用此办公位置。</source>
        <translation>While the window or the tray icon runs, the hotkey applies this site.</translation>
    </message>
    <message>
        <source>快捷键：</source>
        <translation>Hotkey:</translation>
    </message>
    <message>
        <source>快捷键</source>
        <translation>Hotkey</translation>
    </message>
    <message>
        <source>快捷键无效。请写成 Ctrl+Alt+1 这样的一个组合键，其中至少有 Ctrl、Alt 或 Win 键之一。</source>
        <translation>The hotkey is not valid. Write one key combination such as Ctrl+Alt+1, with at least Ctrl, Alt or Win.</translation>
    </message>
</context>
<context>
    <name>MessageSink</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>否</source>
        <translation>No</translation>
    </message>
    <message>
        <source>应用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>NetworkPage</name>
    <message>
        <source>识别到此网络时自动应用</source>
        <translation>Apply by itself when this network is recognised</translation>
    </message>
    <message>
        <source>网络识别</source>
        <translation>Network</translation>
    </message>
    <message>
        <source>所选网卡：%1</source>
        <translation>Chosen adapter: %1</translation>
    </message>
    <message>
        <source>尚未读到所选网卡的设置。</source>
        <translation>The chosen adapter&apos;s settings have not been read yet.</translation>
    </message>
    <message>
        <source>只用于此网卡</source>
        <translation>Only for this adapter</translation>
    </message>
    <message>
        <source>绑定到所选网卡</source>
        <translation>Bind to the chosen adapter</translation>
    </message>
    <message>
        <source>解除绑定</source>
        <translation>Unbind</translation>
    </message>
    <message>
        <source>网卡：</source>
        <translation>Adapter:</translation>
    </message>
    <message>
        <source>识别网络（填写的各项全部相符时）</source>
        <translation>Recognise the network (when every value given matches)</translation>
    </message>
    <message>
        <source>使用当前网络</source>
        <translation>Use this network</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>网关：</source>
        <translation>Gateway:</translation>
    </message>
    <message>
        <source>网关MAC地址：</source>
        <translation>Gateway MAC address:</translation>
    </message>
    <message>
        <source>无线网络(SSID)：</source>
        <translation>Wi-Fi network (SSID):</translation>
    </message>
    <message>
        <source>DNS域：</source>
        <translation>DNS domain:</translation>
    </message>
    <message>
        <source>网卡应为网卡的MAC地址（如00:11:22:33:44:55）、接口名称或GUID。</source>
        <translation>The adapter should be its MAC address (such as 00:11:22:33:44:55), its interface name or its GUID.</translation>
    </message>
</context>
<context>
    <name>SiteCommands</name>
    <message>
        <source>温馨提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>没有写入权限，或者文件是只读的。</source>
        <translation>You may not write the file, or it is read-only.</translation>
    </message>
    <message>
        <source>磁盘空间不足。</source>
        <translation>The disk is full.</translation>
    </message>
    <message>
        <source>配置文件所在的文件夹不存在。</source>
        <translation>The settings file&apos;s folder does not exist.</translation>
    </message>
    <message>
        <source>配置文件的位置上是一个文件夹。</source>
        <translation>A folder stands where the settings file should be.</translation>
    </message>
    <message>
        <source>内容中含有配置文件无法保存的字符。</source>
        <translation>The text contains characters the settings file cannot store.</translation>
    </message>
    <message>
        <source>配置文件正在被其他程序不断修改，请稍后再试。</source>
        <translation>Another program keeps changing the settings file; please try again later.</translation>
    </message>
    <message>
        <source>：无法写入配置文件 </source>
        <translation>: cannot write the settings file </translation>
    </message>
    <message>
        <source>新建失败</source>
        <translation>Creating the site failed</translation>
    </message>
    <message>
        <source>保存失败</source>
        <translation>Saving failed</translation>
    </message>
    <message>
        <source>系统提示</source>
        <translation>System message</translation>
    </message>
    <message>
        <source>保存成功!</source>
        <translation>Saved!</translation>
    </message>
    <message>
        <source>删除失败</source>
        <translation>Deleting failed</translation>
    </message>
    <message>
        <source>配置文件正被其他程序锁定，请稍后再试。</source>
        <translation>Another program holds a lock on the settings file; try again later.</translation>
    </message>
    <message>
        <source>配置文件还有其他硬链接，保存会使它们与它分离，因此没有保存。</source>
        <translation>The settings file has other names (hard links) that a save would part from it, so nothing was saved.</translation>
    </message>
    <message>
        <source>配置文件是一个无法解析的符号链接。</source>
        <translation>The settings file is a symbolic link that cannot be followed.</translation>
    </message>
    <message>
        <source>：该办公位置已被其他程序删除或改名，列表已重新读取。</source>
        <translation>: another program has deleted or renamed this site; the list has been read again.</translation>
    </message>
    <message>
        <source>新建失败：办公位置的数量已达上限。</source>
        <translation>Could not create a site: the list holds the most sites it can.</translation>
    </message>
    <message>
        <source>没有读取权限。</source>
        <translation>You may not read it.</translation>
    </message>
    <message>
        <source>它不是一个普通文件。</source>
        <translation>It is not a regular file.</translation>
    </message>
    <message>
        <source>文件太大（超过 %1 MiB），不是本程序的配置文件。</source>
        <translation>It is too large (over %1 MiB) to be this program&apos;s settings file.</translation>
    </message>
    <message>
        <source>无法读取配置文件 </source>
        <translation>Cannot read the settings file </translation>
    </message>
    <message>
        <source>在问题解决之前，不会写入这个文件。</source>
        <translation>The file will not be written until this is resolved.</translation>
    </message>
    <message>
        <source>保存失败：办公位置的数量已达上限。</source>
        <translation>Could not save: the list holds the most sites it can.</translation>
    </message>
    <message>
        <source>“%1”已被其他程序删除或改名。要把编辑器中的内容另存为新的办公位置吗？</source>
        <translation>Another program has deleted or renamed “%1”. Save what the editor shows as a new site?</translation>
    </message>
    <message>
        <source>“%1”已被其他程序修改。编辑器中保留着您尚未保存的内容，保存时将写入您看到的内容。</source>
        <translation>Another program has changed “%1”. The editor keeps your unsaved changes; a save writes what you see.</translation>
    </message>
    <message>
        <source>“%1”已被其他程序删除或改名。编辑器中保留着您尚未保存的内容，保存时可以把它另存为新的办公位置。</source>
        <translation>Another program has deleted or renamed “%1”. The editor keeps your unsaved changes; a save can store them as a new site.</translation>
    </message>
    <message>
        <source>删除失败：这是单位统一下发的办公位置，不能删除。</source>
        <translation>Could not delete: this site is handed out by your organisation and cannot be deleted.</translation>
    </message>
    <message>
        <source>所选的办公位置已改变，高级设置未保存。</source>
        <translation>The chosen site has changed; the advanced settings were not saved.</translation>
    </message>
</context>
<context>
    <name>SiteTransfer</name>
    <message>
        <source>文件不是办公位置列表。</source>
        <translation>the file is not a list of sites.</translation>
    </message>
    <message>
        <source>文件中有一项不是办公位置记录。</source>
        <translation>an entry of the file is not a site record.</translation>
    </message>
    <message>
        <source>文件中已有同名的办公位置</source>
        <translation>the file already has a site of this name</translation>
    </message>
    <message>
        <source>已有同名的办公位置</source>
        <translation>a site of this name is already saved</translation>
    </message>
    <message>
        <source>含有配置文件无法保存的字符</source>
        <translation>holds characters the settings file cannot store</translation>
    </message>
    <message>
        <source>办公位置“%1”含有代码页936无法保存的字符。</source>
        <translation>The site “%1” holds characters that code page 936 cannot store.</translation>
    </message>
    <message>
        <source>配置文件没有改变。</source>
        <translation>The settings file has not been changed.</translation>
    </message>
    <message>
        <source>已添加：%1</source>
        <translation>Added: %1</translation>
    </message>
    <message>
        <source>已替换：%1</source>
        <translation>Replaced: %1</translation>
    </message>
    <message>
        <source>已跳过：%1（%2）</source>
        <translation>Skipped: %1 (%2)</translation>
    </message>
    <message>
        <source>……另有 %1 项</source>
        <translation>... and %1 more</translation>
    </message>
    <message>
        <source>共添加 %1 个，替换 %2 个，跳过 %3 个。</source>
        <translation>%1 added, %2 replaced, %3 skipped.</translation>
    </message>
    <message>
        <source>导出失败：%1</source>
        <translation>Export failed: %1</translation>
    </message>
    <message>
        <source>已导出 %1 个办公位置到 %2。</source>
        <translation>Exported %1 sites to %2.</translation>
    </message>
    <message>
        <source>不能导出到配置文件本身：%1</source>
        <translation>Cannot export onto the settings file itself: %1</translation>
    </message>
    <message>
        <source>办公位置列表最多容纳 %1 个办公位置。</source>
        <translation>The site list holds at most %1 sites.</translation>
    </message>
    <message>
        <source>导入后配置文件将超过 %1 MiB，本程序将无法再读取它。</source>
        <translation>After the import the settings file would be larger than %1 MiB, and this program could no longer read it.</translation>
    </message>
    <message>
        <source>无法读取配置文件 %1：%2</source>
        <translation>Cannot read the settings file %1: %2</translation>
    </message>
    <message>
        <source>无法写入文件 %1：%2</source>
        <translation>Cannot write the file %1: %2</translation>
    </message>
    <message>
        <source>无法读取文件 %1：%2</source>
        <translation>Cannot read the file %1: %2</translation>
    </message>
    <message>
        <source>无法导入文件 %1：%2</source>
        <translation>Cannot import the file %1: %2</translation>
    </message>
    <message>
        <source>无法写入配置文件 %1：%2</source>
        <translation>Cannot write the settings file %1: %2</translation>
    </message>
</context>
<context>
    <name>StartAtLogin</name>
    <message>
        <source>温馨提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>登录时启动未能设置：
%1</source>
        <translation>Start at login could not be set:
%1</translation>
    </message>
    <message>
        <source>登录时启动</source>
        <translation>Start at login</translation>
    </message>
    <message>
        <source>创建桌面快捷方式</source>
        <translation>Create desktop shortcut</translation>
    </message>
    <message>
        <source>桌面快捷方式未能创建：
%1</source>
        <translation>The desktop shortcut could not be created:
%1</translation>
    </message>
    <message>
        <source>已在桌面创建快捷方式：
%1</source>
        <translation>Desktop shortcut created:
%1</translation>
    </message>
    <message>
        <source>只有 Lanvex 运行时才能识别网络并自动切换办公位置。
要在登录时启动 Lanvex（只显示托盘图标）吗？</source>
        <translation>Lanvex recognises networks and switches sites only while it runs.
Start Lanvex at login (with only its tray icon)?</translation>
    </message>
</context>
<context>
    <name>cli</name>
    <message>
        <source>请在%1秒内运行 lanvex --confirm 保留新设置，否则将恢复之前的设置。</source>
        <translation>Run lanvex --confirm within %1 seconds to keep the new settings; otherwise the previous ones are restored.</translation>
    </message>
    <message>
        <source>已确认，保留新设置。</source>
        <translation>Confirmed: the new settings are kept.</translation>
    </message>
    <message>
        <source>%1秒内没有确认。</source>
        <translation>No confirmation within %1 seconds.</translation>
    </message>
    <message>
        <source>等待确认时被中断。</source>
        <translation>The wait for the confirmation was interrupted.</translation>
    </message>
</context>
<context>
    <name>lanvex::editor::SiteEditor</name>
    <message>
        <source>名    称：</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>静态IP</source>
        <translation>Static IP</translation>
    </message>
    <message>
        <source>自动获得IP(DHCP)</source>
        <translation>Obtain IP (DHCP)</translation>
    </message>
    <message>
        <source> IP 地址：</source>
        <translation>IP address:</translation>
    </message>
    <message>
        <source>子网掩码：</source>
        <translation>Mask:</translation>
    </message>
    <message>
        <source>默认网关：</source>
        <translation>Gateway:</translation>
    </message>
    <message>
        <source>不更改DNS设置</source>
        <translation>Keep DNS</translation>
    </message>
    <message>
        <source>默认 DNS：</source>
        <translation>DNS:</translation>
    </message>
    <message>
        <source>备用 DNS：</source>
        <translation>Alt. DNS:</translation>
    </message>
    <message>
        <source>不更改WINS服务器设置</source>
        <translation>Keep WINS servers</translation>
    </message>
    <message>
        <source>主 WINS ：</source>
        <translation>WINS:</translation>
    </message>
    <message>
        <source>从 WINS ：</source>
        <translation>Alt. WINS:</translation>
    </message>
    <message>
        <source>不更改打印机设置</source>
        <translation>Keep printer</translation>
    </message>
    <message>
        <source>打 印 机：</source>
        <translation>Printer:</translation>
    </message>
    <message>
        <source>当前办公位置：</source>
        <translation>Current site: </translation>
    </message>
</context>
<context>
    <name>lanvex::gui::AdvancedDialog</name>
    <message>
        <source>高级设置 - %1</source>
        <translation>Advanced settings - %1</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>温馨提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>高级设置已更改，是否放弃所做的更改？</source>
        <translation>The advanced settings have changed. Discard the changes?</translation>
    </message>
</context>
<context>
    <name>lanvex::gui::ApplyConfirmation</name>
    <message>
        <source>确认网络设置</source>
        <translation>Confirm the network settings</translation>
    </message>
    <message>
        <source>保留</source>
        <translation>Keep</translation>
    </message>
    <message>
        <source>立即恢复</source>
        <translation>Restore now</translation>
    </message>
    <message>
        <source>如果在%1秒内没有选择保留，将恢复之前的设置。</source>
        <translation>Unless you choose to keep them within %1 seconds, the previous settings are restored.</translation>
    </message>
</context>
<context>
    <name>lanvex::gui::AutoSwitcher</name>
    <message>
        <source>温馨提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>检测到办公位置：%1，是否应用？</source>
        <translation>Site detected: %1. Apply it?</translation>
    </message>
    <message>
        <source>检测到多个办公位置与当前网络相符，请选择要应用的一个：</source>
        <translation>Several sites match this network. Choose the one to apply:</translation>
    </message>
</context>
<context>
    <name>lanvex::gui::MainWindow</name>
    <message>
        <source>IP设置</source>
        <translation>IP settings</translation>
    </message>
    <message>
        <source>使用说明</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>IP设置列表：</source>
        <translation>Sites:</translation>
    </message>
    <message>
        <source>IP设置列表</source>
        <translation>Sites</translation>
    </message>
    <message>
        <source>IP设置列表滚动条</source>
        <translation>Sites scroll bar</translation>
    </message>
    <message>
        <source>需要更改设置的网卡：</source>
        <translation>Network adapter to configure:</translation>
    </message>
    <message>
        <source>应用当前设置</source>
        <translation>Apply the selected site</translation>
    </message>
    <message>
        <source>新建IP设置</source>
        <translation>New site</translation>
    </message>
    <message>
        <source>保存当前IP设置</source>
        <translation>Save the site</translation>
    </message>
    <message>
        <source>删除当前IP设置</source>
        <translation>Delete the site</translation>
    </message>
    <message>
        <source>按&lt;Esc&gt;键退出系统。         按&lt;F4&gt;键应用当前设置。</source>
        <translation>Press &lt;Esc&gt; to exit.         Press &lt;F4&gt; to apply the selected site.</translation>
    </message>
    <message>
        <source>所有配置均保存在配置文件中，程序启动时会自动读取。</source>
        <translation>All sites are kept in the settings file and read when the program starts.</translation>
    </message>
    <message>
        <source>IP设置即时生效，无需重新启动电脑。</source>
        <translation>Settings take effect at once; no restart is needed.</translation>
    </message>
    <message>
        <source>鼠标移动到图标上，可以显示出该图标代表的意义，以及部分参数。</source>
        <translation>Rest the mouse on an icon to see what it does and some of its settings.</translation>
    </message>
    <message>
        <source>正在应用当前设置，请稍候...</source>
        <translation>Applying the site, please wait...</translation>
    </message>
    <message>
        <source>应用设置完毕。</source>
        <translation>Applying finished.</translation>
    </message>
    <message>
        <source>温馨提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>单位下发的办公位置未能读取，列表中只有您自己的办公位置。
%1</source>
        <translation>The sites handed out by your organisation could not be read; the list holds only your own sites.
%1</translation>
    </message>
    <message>
        <source>高级...</source>
        <translation>Advanced...</translation>
    </message>
    <message>
        <source>应用办公位置时设置默认打印机</source>
        <translation>Set the default printer when applying a site</translation>
    </message>
    <message>
        <source>应用后确认</source>
        <translation>Confirm after applying</translation>
    </message>
    <message>
        <source>%1秒内没有选择保留。</source>
        <translation>The new settings were not kept within %1 seconds.</translation>
    </message>
    <message>
        <source>请确认是否保留新设置。</source>
        <translation>Keep the new settings?</translation>
    </message>
    <message>
        <source>已保留新设置。</source>
        <translation>The new settings are kept.</translation>
    </message>
    <message>
        <source>已恢复之前的设置。</source>
        <translation>The previous settings are restored.</translation>
    </message>
    <message>
        <source>正在恢复之前的设置，请稍候...</source>
        <translation>Restoring the previous settings, please wait...</translation>
    </message>
    <message>
        <source>恢复之前的设置失败。</source>
        <translation>Restoring the previous settings failed.</translation>
    </message>
    <message>
        <source>识别到网络时自动切换办公位置</source>
        <translation>Switch sites by themselves when a network is recognised</translation>
    </message>
    <message>
        <source>办公位置“%1”指定的网卡 %2 不存在，设置未生效。</source>
        <translation>The adapter %2 that the site “%1” is for is not present. Nothing was changed.</translation>
    </message>
    <message>
        <source>正在读取网卡信息，读取完毕后将应用“%1”，请稍候...</source>
        <translation>Reading the adapters; “%1” will be applied once they are known, please wait...</translation>
    </message>
</context>
<context>
    <name>lanvex::gui::SiteHotkeys</name>
    <message>
        <source>应用办公位置“%1”</source>
        <translation>Apply the site “%1”</translation>
    </message>
    <message>
        <source>快捷键 %1 无法使用（办公位置“%2”），其余快捷键照常可用。</source>
        <translation>The hotkey %1 (site “%2”) is not available; the other hotkeys work.</translation>
    </message>
</context>
<context>
    <name>lanvex::gui::SiteListMenu</name>
    <message>
        <source>导入...</source>
        <translation>Import...</translation>
    </message>
    <message>
        <source>导出...</source>
        <translation>Export...</translation>
    </message>
    <message>
        <source>办公位置 (*.ini *.json);;所有文件 (*)</source>
        <translation>Sites (*.ini *.json);;All files (*)</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>导入</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>温馨提示</source>
        <translation>Note</translation>
    </message>
</context>
<context>
    <name>lanvex::gui::SiteTray</name>
    <message>
        <source>……另有 %1 个办公位置，请在主窗口中选择</source>
        <translation>... %1 more sites: choose them in the main window</translation>
    </message>
    <message>
        <source>打开主窗口</source>
        <translation>Open main window</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>没有可用的网卡</source>
        <translation>No network adapter</translation>
    </message>
    <message>
        <source>已应用：%1</source>
        <translation>Applied: %1</translation>
    </message>
    <message>
        <source>温馨提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>所在办公位置：%1</source>
        <translation>Site here: %1</translation>
    </message>
</context>
<context>
    <name>lanvex::listview::SiteListView</name>
    <message>
        <source>IP设置列表</source>
        <translation>Sites</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>内存不足，操作没有完成。</source>
        <translation>Out of memory; the operation was not completed.</translation>
    </message>
</context>
<context>
    <name>net</name>
    <message>
        <source>设置DHCP工作方式时发生错误!</source>
        <translation>Switching to DHCP failed!</translation>
    </message>
    <message>
        <source>设置DHCP工作方式成功!</source>
        <translation>Switched to DHCP!</translation>
    </message>
    <message>
        <source>当前已经工作在DHCP方式!</source>
        <translation>The adapter already uses DHCP!</translation>
    </message>
    <message>
        <source>正在设置IP地址及子网掩码，请稍候...</source>
        <translation>Setting the IP address and subnet mask, please wait...</translation>
    </message>
    <message>
        <source>设置IP地址及子网掩码失败!</source>
        <translation>Setting the IP address and subnet mask failed!</translation>
    </message>
    <message>
        <source>设置IP地址及子网掩码成功!</source>
        <translation>IP address and subnet mask set!</translation>
    </message>
    <message>
        <source>正在设置IP网关，请稍候...</source>
        <translation>Setting the gateway, please wait...</translation>
    </message>
    <message>
        <source>正在设置DNS，请稍候...</source>
        <translation>Setting DNS, please wait...</translation>
    </message>
    <message>
        <source>正在设置WINS服务器，请稍候...</source>
        <translation>Setting the WINS servers, please wait...</translation>
    </message>
    <message>
        <source>正在准备设置DHCP工作方式，请稍候...</source>
        <translation>Preparing to switch to DHCP, please wait...</translation>
    </message>
    <message>
        <source>正在准备设置静态IP，请稍候...</source>
        <translation>Preparing the static IP settings, please wait...</translation>
    </message>
    <message>
        <source>更新IP及子网掩码失败。</source>
        <translation>Updating the IP address and subnet mask failed.</translation>
    </message>
    <message>
        <source>设定为DHCP工作方式失败。</source>
        <translation>Switching to DHCP failed.</translation>
    </message>
    <message>
        <source>已经是DHCP工作方式。</source>
        <translation>The adapter already uses DHCP.</translation>
    </message>
    <message>
        <source>无法连接系统的网络管理服务，设置未生效。</source>
        <translation>Cannot reach the system&apos;s network service; nothing was changed.</translation>
    </message>
    <message>
        <source>未找到所选网卡，设置未生效。</source>
        <translation>The chosen adapter was not found; nothing was changed.</translation>
    </message>
    <message>
        <source>设定为DHCP工作方式成功。</source>
        <translation>Switched to DHCP.</translation>
    </message>
    <message>
        <source>更新网关成功。</source>
        <translation>Gateway updated.</translation>
    </message>
    <message>
        <source>更新网关失败。</source>
        <translation>Updating the gateway failed.</translation>
    </message>
    <message>
        <source>更新DNS成功。</source>
        <translation>DNS updated.</translation>
    </message>
    <message>
        <source>更新DNS失败。</source>
        <translation>Updating DNS failed.</translation>
    </message>
    <message>
        <source>更新WINS服务器成功。</source>
        <translation>WINS servers updated.</translation>
    </message>
    <message>
        <source>更新WINS服务器失败。</source>
        <translation>Updating the WINS servers failed.</translation>
    </message>
    <message>
        <source>更新IP及子网掩码成功。</source>
        <translation>IP address and subnet mask updated.</translation>
    </message>
    <message>
        <source>正在等待系统授权...</source>
        <translation>Waiting for the system to authorize the change...</translation>
    </message>
    <message>
        <source>新设置已保存，网卡接通网络后生效。</source>
        <translation>The new settings are saved and take effect once the adapter is connected to a network.</translation>
    </message>
    <message>
        <source>没有更改网络设置的权限，设置未生效。</source>
        <translation>You are not permitted to change the network settings; nothing was changed.</translation>
    </message>
    <message>
        <source>网络管理服务没有及时回应，无法确定设置是否已生效。</source>
        <translation>The network management service stopped answering; whether the settings took effect is not known.</translation>
    </message>
    <message>
        <source>更多IP地址有误：每项应为“IP地址/子网掩码”，各项以逗号分隔，且不能重复。</source>
        <translation>More IP addresses: each item must be “IP address/subnet mask”, separated by commas, none twice.</translation>
    </message>
    <message>
        <source>网关跃点数应为1到9999之间的整数。</source>
        <translation>The gateway metric must be a whole number from 1 to 9999.</translation>
    </message>
    <message>
        <source>更多网关有误：每项应为“网关:跃点数”，各项以逗号分隔，连同默认网关最多5个。</source>
        <translation>More gateways: each item must be “gateway:metric”, separated by commas, at most 5 with the default gateway.</translation>
    </message>
    <message>
        <source>DNS后缀不是有效的域名。</source>
        <translation>The DNS suffix is not a valid domain name.</translation>
    </message>
    <message>
        <source>IPv6方式应为keep、auto、static或off。</source>
        <translation>The IPv6 mode must be keep, auto, static or off.</translation>
    </message>
    <message>
        <source>IPv6地址有误：每项应为“IPv6地址/前缀长度”，各项以逗号分隔，且不能重复。</source>
        <translation>IPv6 addresses: each item must be “IPv6 address/prefix length”, separated by commas, none twice.</translation>
    </message>
    <message>
        <source>IPv6网关不是有效的IPv6地址。</source>
        <translation>The IPv6 gateway is not a valid IPv6 address.</translation>
    </message>
    <message>
        <source>IPv6 DNS服务器有误：最多两个IPv6地址，以逗号分隔。</source>
        <translation>IPv6 DNS servers: at most two IPv6 addresses, separated by commas.</translation>
    </message>
    <message>
        <source>正在设置DNS后缀，请稍候...</source>
        <translation>Setting the DNS suffix, please wait...</translation>
    </message>
    <message>
        <source>正在设置IPv6，请稍候...</source>
        <translation>Setting IPv6, please wait...</translation>
    </message>
    <message>
        <source>更新DNS后缀失败。</source>
        <translation>Updating the DNS suffix failed.</translation>
    </message>
    <message>
        <source>更新DNS后缀成功。</source>
        <translation>DNS suffix updated.</translation>
    </message>
    <message>
        <source>更新IPv6设置失败。</source>
        <translation>Updating IPv6 failed.</translation>
    </message>
    <message>
        <source>更新IPv6设置成功。</source>
        <translation>IPv6 updated.</translation>
    </message>
    <message>
        <source>更多IP地址有误，未应用。</source>
        <translation>More IP addresses are not valid and were not applied.</translation>
    </message>
    <message>
        <source>网关跃点数有误，未应用。</source>
        <translation>The gateway metric is not valid and was not applied.</translation>
    </message>
    <message>
        <source>更多网关有误，未应用。</source>
        <translation>More gateways are not valid and were not applied.</translation>
    </message>
    <message>
        <source>DNS后缀有误，未应用。</source>
        <translation>The DNS suffix is not valid and was not applied.</translation>
    </message>
    <message>
        <source>IPv6设置有误，未应用。</source>
        <translation>The IPv6 settings are not valid and were not applied.</translation>
    </message>
    <message>
        <source>正在设置代理服务器，请稍候...</source>
        <translation>Setting the proxy server, please wait...</translation>
    </message>
    <message>
        <source>正在设置默认打印机，请稍候...</source>
        <translation>Setting the default printer, please wait...</translation>
    </message>
    <message>
        <source>代理服务器设置有误，未应用。</source>
        <translation>The proxy settings are not valid and were not applied.</translation>
    </message>
    <message>
        <source>未找到桌面的代理设置，代理服务器未更改。</source>
        <translation>No desktop proxy settings were found; the proxy server is unchanged.</translation>
    </message>
    <message>
        <source>更新代理服务器设置失败。</source>
        <translation>Failed to update the proxy server settings.</translation>
    </message>
    <message>
        <source>更新代理服务器设置成功。</source>
        <translation>Proxy server settings updated.</translation>
    </message>
    <message>
        <source>设置默认打印机成功。</source>
        <translation>Default printer set.</translation>
    </message>
    <message>
        <source>设置默认打印机失败，请确认该打印机已安装。</source>
        <translation>Failed to set the default printer; make sure the printer is installed.</translation>
    </message>
    <message>
        <source>已恢复网卡之前的设置：%1</source>
        <translation>The adapter&apos;s previous settings are restored: %1</translation>
    </message>
    <message>
        <source>未能完全恢复网卡之前的设置：%1</source>
        <translation>The adapter&apos;s previous settings could not all be restored: %1</translation>
    </message>
    <message>
        <source>DHCP工作方式</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <source>IP地址 %1，子网掩码 %2</source>
        <translation>IP address %1, subnet mask %2</translation>
    </message>
    <message>
        <source>，网关 %1</source>
        <translation>, gateway %1</translation>
    </message>
    <message>
        <source>，DNS %1</source>
        <translation>, DNS %1</translation>
    </message>
    <message>
        <source>用于识别网络的网关不是有效的IPv4地址。</source>
        <translation>The gateway that recognises the network is not a valid IPv4 address.</translation>
    </message>
    <message>
        <source>用于识别网络的网关MAC地址有误：应为六组两位十六进制数，以“:”或“-”分隔。</source>
        <translation>The gateway MAC address that recognises the network is wrong: it must be six pairs of hex digits separated by “:” or “-”.</translation>
    </message>
    <message>
        <source>程序时限有误，按60秒计。</source>
        <translation>The program time limit is not valid; 60 seconds are used.</translation>
    </message>
    <message>
        <source>核对网关的设置有误，未核对网关。</source>
        <translation>The gateway check setting is not valid; the gateway was not checked.</translation>
    </message>
    <message>
        <source>核对时限有误，按10秒计。</source>
        <translation>The check time limit is not valid; 10 seconds are used.</translation>
    </message>
    <message>
        <source>核对项“%1”有误，未核对。</source>
        <translation>The check “%1” is not valid and was not made.</translation>
    </message>
    <message>
        <source>正在运行程序，请稍候...</source>
        <translation>Running the program, please wait...</translation>
    </message>
    <message>
        <source>运行程序“%1”成功。</source>
        <translation>The program “%1” ran.</translation>
    </message>
    <message>
        <source>程序“%1”运行失败，退出码为%2。</source>
        <translation>The program “%1” failed with exit code %2.</translation>
    </message>
    <message>
        <source>无法启动程序“%1”：%2</source>
        <translation>The program “%1” could not start: %2</translation>
    </message>
    <message>
        <source>程序“%1”超过%2秒仍未结束，已被终止。</source>
        <translation>The program “%1” ran longer than %2 seconds and was ended.</translation>
    </message>
    <message>
        <source>未运行程序“%1”：组织的设置文件并非只有管理员可以修改。</source>
        <translation>The program “%1” was not run: others than administrators can change the organisation’s settings file.</translation>
    </message>
    <message>
        <source>未运行程序“%1”：组织的办公位置只能运行以完整路径给出的程序。</source>
        <translation>The program “%1” was not run: the organisation’s sites run only programs given by their full path.</translation>
    </message>
    <message>
        <source>程序设置有误，未运行：%1</source>
        <translation>The program setting is not valid and was not run: %1</translation>
    </message>
    <message>
        <source>核对失败：无法解析 %1。</source>
        <translation>Check failed: %1 does not resolve.</translation>
    </message>
    <message>
        <source>核对失败：网关 %1 没有回应。</source>
        <translation>Check failed: the gateway %1 does not answer.</translation>
    </message>
    <message>
        <source>核对失败：无法连接到 %1。</source>
        <translation>Check failed: cannot connect to %1.</translation>
    </message>
    <message>
        <source>正在核对新的网络设置，请稍候...</source>
        <translation>Checking the new network settings, please wait...</translation>
    </message>
    <message>
        <source>核对新的网络设置通过。</source>
        <translation>The new network settings passed their checks.</translation>
    </message>
    <message>
        <source>程序设置有误：没有给出要运行的程序。</source>
        <translation>The program setting names no program to run.</translation>
    </message>
    <message>
        <source>程序时限应为1到3600之间的秒数。</source>
        <translation>The program time limit must be from 1 to 3600 seconds.</translation>
    </message>
    <message>
        <source>核对连接有误：每项应为“主机:端口”，端口为1到65535，各项以逗号分隔。</source>
        <translation>Connection checks: each item must be “host:port” with a port from 1 to 65535, separated by commas.</translation>
    </message>
    <message>
        <source>核对域名有误：每项应为“域名”或“域名=IP地址”，各项以逗号分隔。</source>
        <translation>Name checks: each item must be “name” or “name=IP address”, separated by commas.</translation>
    </message>
    <message>
        <source>核对网关应为0或1。</source>
        <translation>The gateway check must be 0 or 1.</translation>
    </message>
    <message>
        <source>核对时限应为1到120之间的秒数。</source>
        <translation>The check time limit must be from 1 to 120 seconds.</translation>
    </message>
    <message>
        <source>网卡上一次的更改还在等待确认或恢复，设置未生效。</source>
        <translation>An earlier change to the adapter is still waiting to be confirmed or rolled back; nothing was changed.</translation>
    </message>
    <message>
        <source>打印服务没有回应，未能设置默认打印机。</source>
        <translation>The print service did not answer; the default printer was not set.</translation>
    </message>
    <message>
        <source>未开启“应用办公位置时设置默认打印机”，默认打印机不变。</source>
        <translation>“Set the default printer when applying a site” is off: the default printer stays as it is.</translation>
    </message>
    <message>
        <source>此值有误，不会应用。</source>
        <translation>This value is not valid and will not be applied.</translation>
    </message>
    <message>
        <source>未找到连接“%1”。</source>
        <translation>Connection “%1” was not found.</translation>
    </message>
    <message>
        <source>正在断开系统连接，请稍候...</source>
        <translation>Disconnecting system connections, please wait...</translation>
    </message>
    <message>
        <source>已断开连接“%1”。</source>
        <translation>Disconnected “%1”.</translation>
    </message>
    <message>
        <source>断开连接“%1”失败。</source>
        <translation>Failed to disconnect “%1”.</translation>
    </message>
    <message>
        <source>已连接Wi-Fi网络“%1”。</source>
        <translation>Joined the Wi-Fi network “%1”.</translation>
    </message>
    <message>
        <source>正在连接Wi-Fi网络，请稍候...</source>
        <translation>Joining the Wi-Fi network, please wait...</translation>
    </message>
    <message>
        <source>系统中没有Wi-Fi网络“%1”的已保存配置，设置未生效。</source>
        <translation>The system has no saved profile for the Wi-Fi network “%1”; the settings were not applied.</translation>
    </message>
    <message>
        <source>找不到Wi-Fi网络“%1”，它不在范围内，设置未生效。</source>
        <translation>The Wi-Fi network “%1” is not in range; the settings were not applied.</translation>
    </message>
    <message>
        <source>连接Wi-Fi网络“%1”失败。</source>
        <translation>Failed to join the Wi-Fi network “%1”.</translation>
    </message>
    <message>
        <source>正在检查IP地址是否已被占用，请稍候...</source>
        <translation>Checking whether the IP address is in use, please wait...</translation>
    </message>
    <message>
        <source>IP地址%1已被网卡地址为%2的另一台主机使用，设置未生效。</source>
        <translation>The IP address %1 is in use by another host (MAC address %2); the settings were not applied.</translation>
    </message>
    <message>
        <source>未能检查IP地址%1是否已被占用。</source>
        <translation>Could not check whether the IP address %1 is in use.</translation>
    </message>
    <message>
        <source>正在设置防火墙区域，请稍候...</source>
        <translation>Setting the firewall zone, please wait...</translation>
    </message>
    <message>
        <source>防火墙区域已设为“%1”。</source>
        <translation>The firewall zone is now “%1”.</translation>
    </message>
    <message>
        <source>设置防火墙区域“%1”失败。</source>
        <translation>Failed to set the firewall zone “%1”.</translation>
    </message>
    <message>
        <source>计算机名已设为“%1”。</source>
        <translation>The computer name is now “%1”.</translation>
    </message>
    <message>
        <source>正在设置计算机名，请稍候...</source>
        <translation>Setting the computer name, please wait...</translation>
    </message>
    <message>
        <source>计算机名已设为“%1”，重新启动后生效。</source>
        <translation>The computer name is set to “%1”; it takes effect after a restart.</translation>
    </message>
    <message>
        <source>设置计算机名“%1”失败。</source>
        <translation>Failed to set the computer name “%1”.</translation>
    </message>
    <message>
        <source>正在建立系统连接，请稍候...</source>
        <translation>Bringing up system connections, please wait...</translation>
    </message>
    <message>
        <source>已连接“%1”。</source>
        <translation>Connected “%1”.</translation>
    </message>
    <message>
        <source>连接“%1”失败。</source>
        <translation>Failed to connect “%1”.</translation>
    </message>
    <message>
        <source>检查地址应为0或1。</source>
        <translation>The address check must be 0 or 1.</translation>
    </message>
    <message>
        <source>Wi-Fi网络名称应为1到32个字节，且不能含控制字符。</source>
        <translation>A Wi-Fi network name must be 1 to 32 bytes without control characters.</translation>
    </message>
    <message>
        <source>连接名称有误：各项以逗号分隔，不能为空，也不能重复。</source>
        <translation>Invalid connection names: separate them with commas; none may be empty or repeated.</translation>
    </message>
    <message>
        <source>防火墙区域应为1到17个字母、数字、“-”或“_”。</source>
        <translation>A firewall zone must be 1 to 17 letters, digits, “-” or “_”.</translation>
    </message>
    <message>
        <source>计算机名应为1到63个字母、数字或“-”，不能以“-”开头或结尾，也不能全是数字。</source>
        <translation>A computer name must be 1 to 63 letters, digits or “-”, must not begin or end with “-”, and must not be all digits.</translation>
    </message>
</context>
<context>
    <name>store</name>
    <message>
        <source>本机当前设置</source>
        <translation>This computer&apos;s settings</translation>
    </message>
</context>
</TS>
