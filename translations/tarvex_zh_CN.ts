<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>CellReadout</name>
    <message>
        <source>blocked</source>
        <translation>阻挡</translation>
    </message>
    <message>
        <source>flagged</source>
        <translation>标记</translation>
    </message>
    <message>
        <source>open</source>
        <translation>可通行</translation>
    </message>
    <message>
        <source>%1:%2 %3  %4 × %5 cells  %6</source>
        <translation>%1:%2 %3  %4 × %5 格  %6</translation>
    </message>
</context>
<context>
    <name>ClientStart</name>
    <message>
        <source>Cannot start &quot;%1&quot;: %2</source>
        <translation>无法启动 &quot;%1&quot;: %2</translation>
    </message>
</context>
<context>
    <name>DistanceMeasure</name>
    <message>
        <source>1 step</source>
        <translation>1 步</translation>
    </message>
    <message>
        <source>%1 steps</source>
        <translation>%1 步</translation>
    </message>
    <message>
        <source>walking: searching...</source>
        <translation>步行: 正在查找...</translation>
    </message>
    <message>
        <source>%1 walking</source>
        <translation>步行 %1</translation>
    </message>
    <message>
        <source>no route</source>
        <translation>无路线</translation>
    </message>
    <message>
        <source>from %1:%2: %3 straight, %4</source>
        <translation>从 %1:%2: 直线 %3, %4</translation>
    </message>
    <message>
        <source>measuring from %1:%2 (Esc ends)</source>
        <translation>正在从 %1:%2 测量 (Esc 结束)</translation>
    </message>
</context>
<context>
    <name>FinderSession</name>
    <message>
        <source>The client has more pointers than this computer&apos;s memory can index.</source>
        <translation>客户端的指针太多, 本机内存无法建立索引。</translation>
    </message>
    <message>
        <source>Cancelled.</source>
        <translation>已取消。</translation>
    </message>
    <message>
        <source>No pointer path leads from the client&apos;s program or libraries to this address.</source>
        <translation>没有从客户端程序或其库通往此地址的指针路径。</translation>
    </message>
    <message>
        <source>The client did not answer a read of its memory, so the search was let go.</source>
        <translation>客户端没有回应对其内存的读取，因此放弃了这次搜索。</translation>
    </message>
</context>
<context>
    <name>FinderWindow</name>
    <message>
        <source>Find the Player&apos;s Address</source>
        <translation>查找玩家地址</translation>
    </message>
    <message>
        <source>Type where the player stands, or search the map on show if you do not know. Then move the player and press &quot;I Moved&quot;, or wait and press &quot;I Stood Still&quot;, until one address is left; &quot;Use&quot; follows it.</source>
        <translation>输入玩家所在位置; 如果不知道, 就搜索当前显示的地图。然后移动玩家并按&quot;我移动了&quot;, 或等待并按&quot;我没动&quot;, 直到只剩一个地址; 按&quot;使用&quot;即可跟踪它。</translation>
    </message>
    <message>
        <source>x:y</source>
        <translation>x:y</translation>
    </message>
    <message>
        <source>Keep This Position</source>
        <translation>保留此位置</translation>
    </message>
    <message>
        <source>Search the Map</source>
        <translation>搜索地图</translation>
    </message>
    <message>
        <source>Keeps the places holding a cell of the map on show that the player can stand on</source>
        <translation>保留存有当前地图上玩家可站立格子的位置</translation>
    </message>
    <message>
        <source>I Moved</source>
        <translation>我移动了</translation>
    </message>
    <message>
        <source>I Stood Still</source>
        <translation>我没动</translation>
    </message>
    <message>
        <source>Start Over</source>
        <translation>重新开始</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>地址</translation>
    </message>
    <message>
        <source>Position</source>
        <translation>位置</translation>
    </message>
    <message>
        <source>Use</source>
        <translation>使用</translation>
    </message>
    <message>
        <source>Puts the address into the memory address box and ticks the box that reads it</source>
        <translation>把地址填入内存地址框, 并勾选读取坐标</translation>
    </message>
    <message>
        <source>Make It Last</source>
        <translation>长期有效</translation>
    </message>
    <message>
        <source>Finds the pointer paths that lead to the address from the client&apos;s program, which find it again after the client restarts</source>
        <translation>查找从客户端程序通往此地址的指针路径, 客户端重新启动后仍能找到它</translation>
    </message>
    <message>
        <source>Save Tracking File...</source>
        <translation>保存跟踪文件...</translation>
    </message>
    <message>
        <source>Keeps the selected path in a file; &quot;Open Tracking File...&quot; in the memory address box&apos;s menu follows the player with it after a restart</source>
        <translation>把选中的路径保存到文件; 重新启动后, 内存地址框菜单中的&quot;打开跟踪文件...&quot;用它跟踪玩家</translation>
    </message>
    <message>
        <source>Check after a Restart</source>
        <translation>重启后检查</translation>
    </message>
    <message>
        <source>After the client has restarted, select its new row and open the finder again, type where the player stands (or open the map), then keep the paths that still lead to the player</source>
        <translation>客户端重新启动后, 选中它的新行并再次打开查找窗口, 输入玩家所在位置 (或打开地图), 然后保留仍然通往玩家的路径</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>The player is at:</source>
        <translation>玩家位于:</translation>
    </message>
    <message>
        <source>Start again: type the position or search the map.</source>
        <translation>重新开始: 输入位置或搜索地图。</translation>
    </message>
    <message>
        <source>Looking for the pointers that lead to %1...</source>
        <translation>正在查找通往 %1 的指针...</translation>
    </message>
    <message>
        <source>Searching %1 (process %2).</source>
        <translation>正在搜索 %1 (进程 %2)。</translation>
    </message>
    <message>
        <source>Type the position or search the map.</source>
        <translation>输入位置或搜索地图。</translation>
    </message>
    <message>
        <source>This process cannot be read. %1</source>
        <translation>无法读取此进程。%1</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a position: type x:y, for example 312:207.</source>
        <translation>&quot;%1&quot; 不是位置: 请输入 x:y, 例如 312:207。</translation>
    </message>
    <message>
        <source>Looking at the candidates again...</source>
        <translation>正在重新检查候选地址...</translation>
    </message>
    <message>
        <source>Searching all the memory the client can write...</source>
        <translation>正在搜索客户端可写的全部内存...</translation>
    </message>
    <message>
        <source>Cancelled; the candidates of before are kept.</source>
        <translation>已取消; 保留之前的候选地址。</translation>
    </message>
    <message>
        <source>So many places hold a cell of this map that they would take more than %1 MiB. Type the position instead.</source>
        <translation>存有此地图格子的位置太多, 需要超过 %1 MiB。请改为输入位置。</translation>
    </message>
    <message>
        <source>No candidate is left. Start over, and make sure the process is the game client.</source>
        <translation>没有剩下候选地址。请重新开始, 并确认该进程是游戏客户端。</translation>
    </message>
    <message>
        <source>One address is left: press &quot;Use&quot; to follow it.</source>
        <translation>只剩一个地址: 按&quot;使用&quot;跟踪它。</translation>
    </message>
    <message>
        <source>%1 candidates. Move the player and press &quot;I Moved&quot;, or wait and press &quot;I Stood Still&quot;.</source>
        <translation>%1 个候选地址。移动玩家并按&quot;我移动了&quot;, 或等待并按&quot;我没动&quot;。</translation>
    </message>
    <message>
        <source>%1 MiB of writable memory above 4 GiB were not searched: the tracker reads below 4 GiB only.</source>
        <translation>4 GiB 以上的 %1 MiB 可写内存未搜索: 跟踪只读取 4 GiB 以下的内存。</translation>
    </message>
    <message>
        <source>One path leads to the address.</source>
        <translation>有一条路径通往此地址。</translation>
    </message>
    <message>
        <source>%1 paths lead to the address, shortest first.</source>
        <translation>有 %1 条路径通往此地址, 最短的在前。</translation>
    </message>
    <message>
        <source>Save one as a tracking file: it finds the player again after the client restarts.</source>
        <translation>把其中一条保存为跟踪文件: 客户端重新启动后仍能找到玩家。</translation>
    </message>
    <message>
        <source>Type where the player stands, or open the map the player is on, to check the paths.</source>
        <translation>输入玩家所在位置, 或打开玩家所在的地图, 以检查这些路径。</translation>
    </message>
    <message>
        <source>%1 of %2 paths still lead to the player.</source>
        <translation>%2 条路径中有 %1 条仍然通往玩家。</translation>
    </message>
    <message>
        <source>Save Tracking File</source>
        <translation>保存跟踪文件</translation>
    </message>
    <message>
        <source>Tracking files (*%1)</source>
        <translation>跟踪文件 (*%1)</translation>
    </message>
    <message>
        <source>Cannot save &quot;%1&quot;: %2</source>
        <translation>无法保存 &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>Saved. &quot;Open Tracking File...&quot; in the memory address box&apos;s menu follows the player with it.</source>
        <translation>已保存。内存地址框菜单中的&quot;打开跟踪文件...&quot;用它跟踪玩家。</translation>
    </message>
    <message>
        <source>Open the map the player is on first</source>
        <translation>请先打开玩家所在的地图</translation>
    </message>
    <message>
        <source>Find Where the Client Keeps Its Map...</source>
        <translation>查找客户端保存地图的位置...</translation>
    </message>
    <message>
        <source>So that the viewer knows at once which map the player is on</source>
        <translation>让查看器立即知道玩家在哪张地图上</translation>
    </message>
    <message>
        <source>The process has ended. Pick the game client in the process list and start over.</source>
        <translation>该进程已结束。请在进程列表中选择游戏客户端，然后重新开始。</translation>
    </message>
    <message>
        <source>%1 MiB of memory that the client fills in itself were left alone: a read of it would wait for ever.</source>
        <translation>已跳过客户端自行填充的 %1 MiB 内存：读取它会永远等待。</translation>
    </message>
    <message>
        <source>Cancelled.</source>
        <translation>已取消。</translation>
    </message>
    <message>
        <source>The client did not answer a read of its memory, so the search was let go with its candidates. Start over.</source>
        <translation>客户端没有回应对其内存的读取，因此放弃了这次搜索及其候选地址。请重新开始。</translation>
    </message>
    <message>
        <source>Checking the paths in the client...</source>
        <translation>正在客户端中检查路径...</translation>
    </message>
</context>
<context>
    <name>FollowClientDialog</name>
    <message>
        <source>Follow a Client Too</source>
        <translation>同时跟踪一个客户端</translation>
    </message>
    <message>
        <source>%1, process %2</source>
        <translation>%1，进程 %2</translation>
    </message>
    <message>
        <source>hexadecimal, as in the toolbar</source>
        <translation>十六进制，与工具栏相同</translation>
    </message>
    <message>
        <source>Follow</source>
        <translation>跟踪</translation>
    </message>
    <message>
        <source>Tracking File...</source>
        <translation>跟踪文件...</translation>
    </message>
    <message>
        <source>Client:</source>
        <translation>客户端：</translation>
    </message>
    <message>
        <source>Address of x and y:</source>
        <translation>x 和 y 的地址：</translation>
    </message>
    <message>
        <source>Open Tracking File</source>
        <translation>打开跟踪文件</translation>
    </message>
    <message>
        <source>Tracking files (*%1)</source>
        <translation>跟踪文件 (*%1)</translation>
    </message>
</context>
<context>
    <name>FollowedClient</name>
    <message>
        <source>The client has not answered the last read of its memory.</source>
        <translation>客户端尚未回应上一次对其内存的读取。</translation>
    </message>
    <message>
        <source>The position cannot be read from the client&apos;s memory.</source>
        <translation>无法从客户端的内存读取坐标。</translation>
    </message>
</context>
<context>
    <name>GoToCell</name>
    <message>
        <source>Go to Cell</source>
        <translation>转到格子</translation>
    </message>
    <message>
        <source>Cell as x:y (0:0 to %1:%2):</source>
        <translation>格子 x:y (0:0 到 %1:%2):</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a cell. Type its column and row as x:y, for example 12:34</source>
        <translation>&quot;%1&quot; 不是格子。请按 x:y 输入列和行, 例如 12:34</translation>
    </message>
    <message>
        <source>There is no cell %1:%2 on this map of %3 x %4 cells (0:0 to %5:%6)</source>
        <translation>这张 %3 x %4 格的地图上没有格子 %1:%2 (0:0 到 %5:%6)</translation>
    </message>
</context>
<context>
    <name>HelpWindow</name>
    <message>
        <source>Ctrl + wheel, or a pinch</source>
        <translation>Ctrl + 滚轮, 或双指缩放</translation>
    </message>
    <message>
        <source>zooms in or out a fifth, the cell under the mouse kept in place</source>
        <translation>放大或缩小五分之一, 鼠标下的格子保持不动</translation>
    </message>
    <message>
        <source>Wheel / Shift + wheel</source>
        <translation>滚轮 / Shift + 滚轮</translation>
    </message>
    <message>
        <source>scrolls up and down / sideways</source>
        <translation>上下滚动 / 左右滚动</translation>
    </message>
    <message>
        <source>Drag with the left or middle button</source>
        <translation>按住左键或中键拖动</translation>
    </message>
    <message>
        <source>moves the map</source>
        <translation>移动地图</translation>
    </message>
    <message>
        <source>Pointing at a cell</source>
        <translation>指向一个格子</translation>
    </message>
    <message>
        <source>the readout in a corner tells the cell, whether it is open, blocked or flagged, the map&apos;s size and the zoom</source>
        <translation>角上的读数显示格子, 它是可通行、阻挡还是标记, 地图的大小和缩放比例</translation>
    </message>
    <message>
        <source>Right-click on the map</source>
        <translation>在地图上右击</translation>
    </message>
    <message>
        <source>the map menu, with these commands on the cell clicked: %1</source>
        <translation>地图菜单, 其中这些命令作用于所点的格子: %1</translation>
    </message>
    <message>
        <source>Click or drag on the overview</source>
        <translation>在缩略图上点击或拖动</translation>
    </message>
    <message>
        <source>moves the view to that part of the map</source>
        <translation>把视图移到地图的那一部分</translation>
    </message>
    <message>
        <source>Click a map file, or move through the list with the arrow keys</source>
        <translation>点击地图文件, 或用方向键在列表中移动</translation>
    </message>
    <message>
        <source>shows that map</source>
        <translation>显示该地图</translation>
    </message>
    <message>
        <source>Double-click a folder, or Enter</source>
        <translation>双击文件夹, 或按 Enter</translation>
    </message>
    <message>
        <source>opens the folder</source>
        <translation>打开文件夹</translation>
    </message>
    <message>
        <source>Right-click the process list</source>
        <translation>右击进程列表</translation>
    </message>
    <message>
        <source>starting a game client, finding the player&apos;s address</source>
        <translation>启动游戏客户端, 查找玩家地址</translation>
    </message>
    <message>
        <source>Drag a bar between the parts</source>
        <translation>拖动各部分之间的分隔条</translation>
    </message>
    <message>
        <source>resizes them; a part dragged to 30 pixels or less is hidden until dragged back</source>
        <translation>调整大小; 拖到 30 像素或更小的部分会隐藏, 直到再拖回来</translation>
    </message>
    <message>
        <source>Drop a map or a folder on the window</source>
        <translation>把地图或文件夹拖放到窗口上</translation>
    </message>
    <message>
        <source>opens it</source>
        <translation>打开它</translation>
    </message>
    <message>
        <source>Start the game client, or start it from the viewer: &quot;Start a Game Client...&quot; in the process list&apos;s context menu (on Linux the system may let the viewer read only the clients it started).</source>
        <translation>启动游戏客户端, 或从查看器启动: 进程列表右键菜单中的&quot;启动游戏客户端...&quot; (在 Linux 上, 系统可能只允许查看器读取它自己启动的客户端)。</translation>
    </message>
    <message>
        <source>Click the toolbar&apos;s first button to list the processes, and click the game client&apos;s row.</source>
        <translation>点击工具栏的第一个按钮列出进程, 然后点击游戏客户端所在的行。</translation>
    </message>
    <message>
        <source>So that it works again after the client restarts, press &quot;Make It Last&quot; in the finder and save a tracking file; next time &quot;Open Tracking File...&quot; in the address box&apos;s context menu follows the player with it.</source>
        <translation>要在客户端重新启动后仍能使用, 在查找窗口中按&quot;长期有效&quot;并保存跟踪文件; 下次用地址框右键菜单中的&quot;打开跟踪文件...&quot;跟踪玩家。</translation>
    </message>
    <message>
        <source>Keys</source>
        <translation>按键</translation>
    </message>
    <message>
        <source>Mouse</source>
        <translation>鼠标</translation>
    </message>
    <message>
        <source>How to follow the player</source>
        <translation>如何跟踪玩家</translation>
    </message>
    <message>
        <source>Keyboard and Mouse</source>
        <translation>键盘和鼠标</translation>
    </message>
    <message>
        <source>Type the address at which the client keeps the player&apos;s x and y into the &quot;%1&quot; box. If you do not know it, %2 finds it: type where the player stands or search the map on show, move the player a few times, and press &quot;Use&quot;.</source>
        <translation>在&quot;%1&quot;框中输入客户端保存玩家 x 和 y 的地址。如果不知道, 用%2查找: 输入玩家所在位置或搜索当前显示的地图, 移动玩家几次, 然后按&quot;使用&quot;。</translation>
    </message>
    <message>
        <source>Tick &quot;%1&quot;. Once a second the player&apos;s cell is marked with a green X, the window&apos;s caption shows x:y, and the map follows the player; %2 pauses and resumes following.</source>
        <translation>勾选&quot;%1&quot;。每秒一次, 玩家所在的格子标上绿色的 X, 窗口标题显示 x:y, 地图跟随玩家; %2 暂停和恢复跟随。</translation>
    </message>
    <message>
        <source>To have the viewer show the map the player is on, open the folder of the game&apos;s maps and turn on %1: the player&apos;s map is shown as soon as the positions single it out among the maps of the folder, and again at every change of map. While several maps fit, %2 picks one.</source>
        <translation>要让查看器显示玩家所在的地图，打开游戏的地图文件夹并打开%1：一旦坐标在文件夹的地图中确定了玩家的地图就显示它，每次换地图也是如此。有几张地图都符合时，用%2选择一张。</translation>
    </message>
</context>
<context>
    <name>MainToolBar</name>
    <message>
        <source>Memory address:</source>
        <translation>内存地址:</translation>
    </message>
    <message>
        <source>Read coordinates</source>
        <translation>读取坐标</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>List Processes</source>
        <translation>列出进程</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>刷新</translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation>放大</translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation>缩小</translation>
    </message>
    <message>
        <source>Natural Size</source>
        <translation>原始大小</translation>
    </message>
    <message>
        <source>Save...</source>
        <translation>保存...</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Fit</source>
        <translation>适合窗口</translation>
    </message>
    <message>
        <source>Go to Cell...</source>
        <translation>转到格子...</translation>
    </message>
    <message>
        <source>Overview</source>
        <translation>缩略图</translation>
    </message>
    <message>
        <source>Grid</source>
        <translation>网格</translation>
    </message>
    <message>
        <source>Copy Picture</source>
        <translation>复制图片</translation>
    </message>
    <message>
        <source>Clear Route</source>
        <translation>清除路线</translation>
    </message>
    <message>
        <source>End Measuring</source>
        <translation>结束测量</translation>
    </message>
    <message>
        <source>Follow the Player</source>
        <translation>跟随玩家</translation>
    </message>
    <message>
        <source>Find the Player&apos;s Address...</source>
        <translation>查找玩家地址...</translation>
    </message>
    <message>
        <source>List Processes (F5 keeps the selected one)</source>
        <translation>列出进程 (F5 保留选中的进程)</translation>
    </message>
    <message>
        <source>Open Tracking File...</source>
        <translation>打开跟踪文件...</translation>
    </message>
    <message>
        <source>Start a Game Client...</source>
        <translation>启动游戏客户端...</translation>
    </message>
    <message>
        <source>Keyboard and Mouse</source>
        <translation>键盘和鼠标</translation>
    </message>
    <message>
        <source>Cannot list the folder %1. %2</source>
        <translation>无法列出文件夹 %1。%2</translation>
    </message>
    <message>
        <source>following paused (F resumes)</source>
        <translation>跟随已暂停 (F 恢复)</translation>
    </message>
    <message>
        <source>%1; the lists show %2 instead</source>
        <translation>%1; 列表改为显示 %2</translation>
    </message>
    <message>
        <source>The folder %1 is gone; the lists show %2 instead</source>
        <translation>文件夹 %1 已不存在; 列表改为显示 %2</translation>
    </message>
    <message>
        <source>Cannot open &quot;%1&quot;: it is not in the file list</source>
        <translation>无法打开 &quot;%1&quot;: 它不在文件列表中</translation>
    </message>
    <message>
        <source>There is no map to go to a cell of. Click a map in the file list first</source>
        <translation>没有可以转到格子的地图。请先在文件列表中点击一张地图</translation>
    </message>
    <message>
        <source>No process is selected, so nothing is read. List the processes with the first button of the toolbar and click the game client&apos;s row.</source>
        <translation>没有选中进程, 因此不读取任何内容。请用工具栏的第一个按钮列出进程, 然后点击游戏客户端所在的行。</translation>
    </message>
    <message>
        <source>No process is selected. List the processes with the first button of the toolbar, click the row of the game client, then find the player&apos;s address.</source>
        <translation>没有选中进程。请用工具栏的第一个按钮列出进程, 点击游戏客户端所在的行, 然后查找玩家地址。</translation>
    </message>
    <message>
        <source>Open Tracking File</source>
        <translation>打开跟踪文件</translation>
    </message>
    <message>
        <source>Tracking files (*%1)</source>
        <translation>跟踪文件 (*%1)</translation>
    </message>
    <message>
        <source>The tracking file&apos;s path lands above 4 GiB, where the tracker cannot read.</source>
        <translation>跟踪文件的路径指向 4 GiB 以上, 跟踪无法读取那里。</translation>
    </message>
    <message>
        <source>%1, process %2</source>
        <translation>%1, 进程 %2</translation>
    </message>
    <message>
        <source>No running process is named &quot;%1&quot;. Start the game client first.</source>
        <translation>没有名为 &quot;%1&quot; 的运行中进程。请先启动游戏客户端。</translation>
    </message>
    <message>
        <source>Several processes are named &quot;%1&quot;. Which one is the game client to follow?</source>
        <translation>有几个进程名为 &quot;%1&quot;。要跟踪哪一个游戏客户端?</translation>
    </message>
    <message>
        <source>Follow Across Maps</source>
        <translation>跨地图跟随</translation>
    </message>
    <message>
        <source>Pick the Player&apos;s Map...</source>
        <translation>选择玩家所在地图...</translation>
    </message>
    <message>
        <source>There is no map to pick: turn on &quot;%1&quot; and follow the player, and the maps of this folder that fit the player&apos;s positions are listed here.</source>
        <translation>没有可选的地图：打开&quot;%1&quot;并跟随玩家，这个文件夹中符合玩家坐标的地图会列在这里。</translation>
    </message>
    <message>
        <source>%1 (%2 x %3 cells)</source>
        <translation>%1 (%2 x %3 格)</translation>
    </message>
    <message>
        <source>The player&apos;s positions fit these maps. Which one is the player on?</source>
        <translation>玩家的坐标符合这些地图。玩家在哪一张上？</translation>
    </message>
    <message>
        <source>which map? %1 candidates (%2 picks)</source>
        <translation>哪张地图？%1 张符合 (%2 选择)</translation>
    </message>
    <message>
        <source>the player is on a map that is not in this folder</source>
        <translation>玩家所在的地图不在这个文件夹中</translation>
    </message>
    <message>
        <source>map: %1</source>
        <translation>地图: %1</translation>
    </message>
    <message>
        <source>Find Where the Client Keeps Its Map...</source>
        <translation>查找客户端保存地图的位置...</translation>
    </message>
    <message>
        <source>No process is selected. List the processes with the first button of the toolbar, click the row of the game client, then find where it keeps its map.</source>
        <translation>没有选择进程。用工具栏的第一个按钮列出进程, 点击游戏客户端所在的行, 再查找它保存地图的位置。</translation>
    </message>
    <message>
        <source>The tracking file&apos;s map key cannot be followed (%1); the map is told from the positions alone.</source>
        <translation>无法跟随跟踪文件的地图键 (%1); 只按坐标判断地图。</translation>
    </message>
    <message>
        <source>the map key names a map the player cannot stand on here; the positions tell the map</source>
        <translation>地图键所指的地图上玩家不能站在这里; 按坐标判断地图</translation>
    </message>
    <message>
        <source>The client has not answered the last read of its memory. The mark stays where it was until it does; pick the process or type the address again to stop waiting.</source>
        <translation>客户端没有回应上一次对其内存的读取。在它回应之前，标记留在原处；重新选择进程或重新输入地址即可不再等待。</translation>
    </message>
    <message>
        <source>the client does not answer</source>
        <translation>客户端没有回应</translation>
    </message>
    <message>
        <source>finding the tracking file&apos;s paths in the client...</source>
        <translation>正在客户端中查找跟踪文件的路径...</translation>
    </message>
    <message>
        <source>Stay on Top</source>
        <translation>总在最前</translation>
    </message>
    <message>
        <source>Compact View</source>
        <translation>精简视图</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1%</translation>
    </message>
    <message>
        <source>Trail</source>
        <translation>足迹</translation>
    </message>
    <message>
        <source>Players...</source>
        <translation>玩家...</translation>
    </message>
    <message>
        <source>Follow This Client Too...</source>
        <translation>同时跟踪此客户端...</translation>
    </message>
    <message>
        <source>Not every player of the tracking file is followed: %1.</source>
        <translation>跟踪文件中的玩家未能全部跟踪：%1。</translation>
    </message>
    <message>
        <source>The tracking file follows no client named &quot;%1&quot;.</source>
        <translation>跟踪文件中没有名为 &quot;%1&quot; 的客户端。</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>address %1</source>
        <translation>地址 %1</translation>
    </message>
</context>
<context>
    <name>MapDocument</name>
    <message>
        <source> ... (%1 more characters)</source>
        <translation> ... (还有 %1 个字符)</translation>
    </message>
</context>
<context>
    <name>MapKeyWindow</name>
    <message>
        <source>Find Where the Client Keeps Its Map</source>
        <translation>查找客户端保存地图的位置</translation>
    </message>
    <message>
        <source>Each time the player goes to another map, press &quot;The Map Changed&quot;; while the player stays on one, press &quot;Same Map&quot; now and then. While following across maps, the viewer tells each change it sees itself. When one place is left, &quot;Use&quot; makes it the map key: the viewer then knows the player&apos;s map at once.</source>
        <translation>玩家每次去另一张地图时, 按&quot;地图换了&quot;; 玩家留在一张地图上时, 不时按&quot;同一地图&quot;。跨地图跟随时, 查看器自己看到的每次换图也会告诉它。只剩一个位置时, &quot;使用&quot;把它作为地图键: 查看器就能立即知道玩家的地图。</translation>
    </message>
    <message>
        <source>The Map Changed</source>
        <translation>地图换了</translation>
    </message>
    <message>
        <source>Same Map</source>
        <translation>同一地图</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>地址</translation>
    </message>
    <message>
        <source>Kept as</source>
        <translation>保存为</translation>
    </message>
    <message>
        <source>Now</source>
        <translation>现在</translation>
    </message>
    <message>
        <source>Use</source>
        <translation>使用</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>This is the map key now. Looking for the pointers that lead to it...</source>
        <translation>现在这是地图键。正在查找指向它的指针...</translation>
    </message>
    <message>
        <source>This is the map key now; a tracking file saved from now on keeps it.</source>
        <translation>现在这是地图键; 从现在起保存的跟踪文件会记住它。</translation>
    </message>
    <message>
        <source>This is the map key now, until the client restarts. %1</source>
        <translation>现在这是地图键, 直到客户端重新启动。%1</translation>
    </message>
    <message>
        <source>Searching %1 (process %2).</source>
        <translation>正在搜索 %1 (进程 %2)。</translation>
    </message>
    <message>
        <source>This process cannot be read. %1</source>
        <translation>无法读取此进程。%1</translation>
    </message>
    <message>
        <source>Taking every place of the client&apos;s memory...</source>
        <translation>正在记录客户端内存的每个位置...</translation>
    </message>
    <message>
        <source>Looking at the places again...</source>
        <translation>正在重新查看这些位置...</translation>
    </message>
    <message>
        <source>Cancelled; the places of before are kept.</source>
        <translation>已取消; 保留之前的位置。</translation>
    </message>
    <message>
        <source>No place is left. Close this window and open it again to start over.</source>
        <translation>没有剩下位置。关闭这个窗口再打开即可重新开始。</translation>
    </message>
    <message>
        <source>One place is left: press &quot;Use&quot; to make it the map key.</source>
        <translation>只剩一个位置: 按&quot;使用&quot;把它作为地图键。</translation>
    </message>
    <message>
        <source>%1 places. Press &quot;The Map Changed&quot; after each change of map, &quot;Same Map&quot; while it stays.</source>
        <translation>%1 个位置。每次换地图后按&quot;地图换了&quot;, 地图不变时按&quot;同一地图&quot;。</translation>
    </message>
    <message>
        <source>The client did not answer a read of its memory, so the search was let go with its places. Close this window and open it again to start over.</source>
        <translation>客户端没有回应对其内存的读取，因此放弃了这次搜索及其位置。关闭此窗口并再次打开即可重新开始。</translation>
    </message>
</context>
<context>
    <name>MapLinks</name>
    <message>
        <source>... and 1 more line for this map</source>
        <translation>... 此地图还有 1 行</translation>
    </message>
    <message>
        <source>... and %1 more lines for this map</source>
        <translation>... 此地图还有 %1 行</translation>
    </message>
</context>
<context>
    <name>MapMenu</name>
    <message>
        <source>Copy Cell</source>
        <translation>复制格子</translation>
    </message>
    <message>
        <source>Route from the Player to Here</source>
        <translation>从玩家到这里的路线</translation>
    </message>
    <message>
        <source>Route from Here</source>
        <translation>从这里出发的路线</translation>
    </message>
    <message>
        <source>...to Here</source>
        <translation>...到这里</translation>
    </message>
    <message>
        <source>Measure from Here</source>
        <translation>从这里测量</translation>
    </message>
    <message>
        <source>Opacity</source>
        <translation>不透明度</translation>
    </message>
</context>
<context>
    <name>MapOverview</name>
    <message>
        <source>The whole map: click or drag to move the view</source>
        <translation>整张地图: 点击或拖动以移动视图</translation>
    </message>
</context>
<context>
    <name>OpenPath</name>
    <message>
        <source>Cannot open &quot;%1&quot;: %2</source>
        <translation>无法打开 &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>no path given</source>
        <translation>没有给出路径</translation>
    </message>
    <message>
        <source>the path is longer than the system allows</source>
        <translation>路径超过系统允许的长度</translation>
    </message>
    <message>
        <source>no such file or folder</source>
        <translation>没有这个文件或文件夹</translation>
    </message>
    <message>
        <source>the folder cannot be read: %1</source>
        <translation>无法读取文件夹: %1</translation>
    </message>
    <message>
        <source>not a folder or a .map file</source>
        <translation>既不是文件夹也不是 .map 文件</translation>
    </message>
    <message>
        <source>hidden files are not listed</source>
        <translation>隐藏文件不会列出</translation>
    </message>
    <message>
        <source>the name holds bytes that are not valid in the system&apos;s encoding</source>
        <translation>名称中含有系统编码中无效的字节</translation>
    </message>
    <message>
        <source>only files on this computer can be opened</source>
        <translation>只能打开本机上的文件</translation>
    </message>
</context>
<context>
    <name>PlayerList</name>
    <message>
        <source>The viewer follows at most %1 clients at once. Remove one in the players&apos; window first.</source>
        <translation>查看器最多同时跟踪 %1 个客户端。请先在玩家窗口中移除一个。</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>tracking file %1</source>
        <translation>跟踪文件 %1</translation>
    </message>
    <message>
        <source>address %1</source>
        <translation>地址 %1</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>Player</source>
        <translation>玩家</translation>
    </message>
    <message>
        <source>not reading</source>
        <translation>未读取</translation>
    </message>
    <message>
        <source>starting</source>
        <translation>正在开始</translation>
    </message>
    <message>
        <source>following</source>
        <translation>跟踪中</translation>
    </message>
    <message>
        <source>ended</source>
        <translation>已结束</translation>
    </message>
    <message>
        <source>cannot be read</source>
        <translation>无法读取</translation>
    </message>
    <message>
        <source>not answering</source>
        <translation>无响应</translation>
    </message>
    <message>
        <source>%1:%2</source>
        <translation>%1:%2</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>Process</source>
        <translation>进程</translation>
    </message>
    <message>
        <source>Position from</source>
        <translation>坐标来源</translation>
    </message>
    <message>
        <source>Map</source>
        <translation>地图</translation>
    </message>
    <message>
        <source>x:y</source>
        <translation>x:y</translation>
    </message>
    <message>
        <source>State</source>
        <translation>状态</translation>
    </message>
</context>
<context>
    <name>PlayersOverlay</name>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
</context>
<context>
    <name>PlayersWindow</name>
    <message>
        <source>Remove</source>
        <translation>移除</translation>
    </message>
    <message>
        <source>Players</source>
        <translation>玩家</translation>
    </message>
    <message>
        <source>Follow a Client Too...</source>
        <translation>同时跟踪一个客户端...</translation>
    </message>
</context>
<context>
    <name>PointerPath</name>
    <message>
        <source>A pointer path begins with a module and an offset, such as &quot;Client.exe+1A2B3C&quot;.</source>
        <translation>指针路径以模块和偏移开头, 例如 &quot;Client.exe+1A2B3C&quot;。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a module and an offset.</source>
        <translation>&quot;%1&quot; 不是模块和偏移。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; after &quot;%2+&quot; is not a hexadecimal offset.</source>
        <translation>&quot;%2+&quot; 后面的 &quot;%1&quot; 不是十六进制偏移。</translation>
    </message>
    <message>
        <source>A pointer path has at most %1 steps; this one has %2.</source>
        <translation>指针路径最多 %1 步; 这条有 %2 步。</translation>
    </message>
    <message>
        <source>Step %1 (&quot;%2&quot;) is not &quot;+&quot; and a hexadecimal offset.</source>
        <translation>第 %1 步 (&quot;%2&quot;) 不是 &quot;+&quot; 加十六进制偏移。</translation>
    </message>
    <message>
        <source>The client has no module &quot;%1&quot;.</source>
        <translation>客户端没有模块 &quot;%1&quot;。</translation>
    </message>
    <message>
        <source>Step %1 of &quot;%2&quot; cannot be followed: nothing can be read at %3.</source>
        <translation>&quot;%2&quot; 的第 %1 步无法继续: 在 %3 处读不到任何内容。</translation>
    </message>
    <message>
        <source>The module&apos;s name in &quot;%1&quot; has no closing quote, or a \ that is not \&quot;, \\ or \x and two hexadecimal digits.</source>
        <translation>“%1”中模块的名称缺少右引号，或含有不是 \&quot;、\\ 或 \x 加两位十六进制数字的 \。</translation>
    </message>
</context>
<context>
    <name>ProcessModules</name>
    <message>
        <source>The modules of process %1 cannot be listed: it has ended, or it belongs to another user.</source>
        <translation>无法列出进程 %1 的模块: 它已结束, 或属于另一个用户。</translation>
    </message>
    <message>
        <source>The modules of process %1 cannot be listed.</source>
        <translation>无法列出进程 %1 的模块。</translation>
    </message>
</context>
<context>
    <name>ProcessPicker</name>
    <message>
        <source>Process</source>
        <translation>进程</translation>
    </message>
    <message>
        <source>Owner: %1</source>
        <translation>所有者: %1</translation>
    </message>
    <message>
        <source>The process has ended.</source>
        <translation>该进程已结束。</translation>
    </message>
    <message>
        <source>The viewer may not read this process&apos;s memory, so the position reads as 0:0. %1 The README&apos;s section &quot;Permission to read another process&quot; tells more.</source>
        <translation>查看器无权读取此进程的内存, 因此位置读作 0:0。%1 README 中&quot;Permission to read another process&quot;一节有更多说明。</translation>
    </message>
    <message>
        <source>%1 (ended)</source>
        <translation>%1 (已结束)</translation>
    </message>
</context>
<context>
    <name>RoutePlanner</name>
    <message>
        <source>route: searching...</source>
        <translation>路线: 正在查找...</translation>
    </message>
    <message>
        <source>no route</source>
        <translation>无路线</translation>
    </message>
    <message>
        <source>route: 1 step</source>
        <translation>路线: 1 步</translation>
    </message>
    <message>
        <source>route: %1 steps</source>
        <translation>路线: %1 步</translation>
    </message>
</context>
<context>
    <name>SafeWriting</name>
    <message>
        <source>It is a pipe, not a file</source>
        <translation>它是管道, 不是文件</translation>
    </message>
    <message>
        <source>It is a pipe, a device or a socket, not a file</source>
        <translation>它是管道、设备或套接字, 不是文件</translation>
    </message>
</context>
<context>
    <name>SaveDialog</name>
    <message>
        <source>Image files</source>
        <translation>图象文件</translation>
    </message>
    <message>
        <source>&quot;%1&quot; already exists.
Do you want to replace it?</source>
        <translation>&quot;%1&quot; 已存在。
要替换它吗?</translation>
    </message>
</context>
<context>
    <name>StartClientDialog</name>
    <message>
        <source>Start a Game Client</source>
        <translation>启动游戏客户端</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>浏览...</translation>
    </message>
    <message>
        <source>The client runs as a program started by the viewer, which may then read its memory where the system allows that only for programs one started. A Windows program (.exe) runs through Wine on Linux.</source>
        <translation>客户端作为查看器启动的程序运行; 在系统只允许读取自己启动的程序的内存时, 查看器也能读取它的内存。在 Linux 上, Windows 程序 (.exe) 通过 Wine 运行。</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>启动</translation>
    </message>
    <message>
        <source>Program:</source>
        <translation>程序:</translation>
    </message>
    <message>
        <source>Arguments:</source>
        <translation>参数:</translation>
    </message>
    <message>
        <source>Game Client</source>
        <translation>游戏客户端</translation>
    </message>
</context>
<context>
    <name>TrackingFile</name>
    <message>
        <source>The tracking file names no program (a line &quot;program=Client.exe&quot;).</source>
        <translation>跟踪文件没有写明程序 (一行 &quot;program=Client.exe&quot;)。</translation>
    </message>
    <message>
        <source>The tracking file has no pointer path (a line &quot;path=Client.exe+1A2B3C -&gt; +10&quot;).</source>
        <translation>跟踪文件没有指针路径 (一行 &quot;path=Client.exe+1A2B3C -&gt; +10&quot;)。</translation>
    </message>
    <message>
        <source>The tracking file&apos;s path is wrong: %1</source>
        <translation>跟踪文件中的路径有误: %1</translation>
    </message>
    <message>
        <source>The tracking file&apos;s map key path is wrong: %1</source>
        <translation>跟踪文件的地图键路径有误: %1</translation>
    </message>
    <message>
        <source>The tracking file&apos;s map key has no form (a line &quot;map-key-form=text&quot;, u32 or u16).</source>
        <translation>跟踪文件的地图键没有写明形式 (一行 &quot;map-key-form=text&quot;, u32 或 u16)。</translation>
    </message>
    <message>
        <source>The tracking file&apos;s line &quot;map=%1&quot; is not a key in hexadecimal and a map&apos;s name.</source>
        <translation>跟踪文件的行 &quot;map=%1&quot; 不是十六进制的键加地图名。</translation>
    </message>
    <message>
        <source>The tracking file&apos;s opacity &quot;%1&quot; is not a number from 10 to 100.</source>
        <translation>跟踪文件的不透明度“%1”不是 10 到 100 之间的数。</translation>
    </message>
    <message>
        <source>The tracking file&apos;s colour &quot;%1&quot; is not RRGGBB in hexadecimal.</source>
        <translation>跟踪文件的颜色 &quot;%1&quot; 不是十六进制的 RRGGBB。</translation>
    </message>
    <message>
        <source>The tracking file holds %1 players; the viewer follows at most %2.</source>
        <translation>跟踪文件含有 %1 个玩家；查看器最多跟踪 %2 个。</translation>
    </message>
    <message>
        <source>Player %1 of the tracking file: %2</source>
        <translation>跟踪文件的玩家 %1：%2</translation>
    </message>
</context>
<context>
    <name>TrackingFileOpening</name>
    <message>
        <source>no running process named &quot;%1&quot; is left to follow</source>
        <translation>没有剩下名为 &quot;%1&quot; 的运行中进程可跟踪</translation>
    </message>
    <message>
        <source>player %1: %2</source>
        <translation>玩家 %1：%2</translation>
    </message>
</context>
<context>
    <name>WhyUnreadable</name>
    <message>
        <source>The process has ended.</source>
        <translation>该进程已结束。</translation>
    </message>
    <message>
        <source>It is a thread of the system&apos;s kernel, which has no memory of its own to read.</source>
        <translation>它是系统内核的线程，没有可读取的自己的内存。</translation>
    </message>
    <message>
        <source>It runs as the user %1 and the viewer as %2: a program may read the memory of its own user&apos;s processes only.</source>
        <translation>它以用户 %1 运行, 而查看器以 %2 运行: 程序只能读取本用户进程的内存。</translation>
    </message>
    <message>
        <source>It protects its memory from other programs of its user (it is not dumpable): only a program with the capability to trace (CAP_SYS_PTRACE) may read it.</source>
        <translation>它保护自己的内存, 不让本用户的其他程序读取 (不可转储): 只有具有跟踪能力 (CAP_SYS_PTRACE) 的程序才能读取。</translation>
    </message>
    <message>
        <source>The system&apos;s Yama setting kernel.yama.ptrace_scope is 1: a program may read the memory of the programs it started only. Three ways out: start the client from the viewer (&quot;Start a Game Client...&quot; in the process list&apos;s context menu); or allow it until the next restart with &quot;sudo sysctl kernel.yama.ptrace_scope=0&quot;; or give the viewer the capability to trace with &quot;%1&quot;.</source>
        <translation>系统的 Yama 设置 kernel.yama.ptrace_scope 为 1: 程序只能读取它自己启动的程序的内存。有三种办法: 从查看器启动客户端 (进程列表右键菜单中的&quot;启动游戏客户端...&quot;); 或用 &quot;sudo sysctl kernel.yama.ptrace_scope=0&quot; 允许读取, 直到下次重启; 或用 &quot;%1&quot; 给查看器跟踪能力。</translation>
    </message>
    <message>
        <source>The system&apos;s Yama setting kernel.yama.ptrace_scope is 2: only a program with the capability to trace may read another&apos;s memory. Give the viewer that capability with &quot;%1&quot;, or allow reading until the next restart with &quot;sudo sysctl kernel.yama.ptrace_scope=0&quot;.</source>
        <translation>系统的 Yama 设置 kernel.yama.ptrace_scope 为 2: 只有具有跟踪能力的程序才能读取其他程序的内存。请用 &quot;%1&quot; 给查看器这种能力, 或用 &quot;sudo sysctl kernel.yama.ptrace_scope=0&quot; 允许读取, 直到下次重启。</translation>
    </message>
    <message>
        <source>The system&apos;s Yama setting kernel.yama.ptrace_scope is %1: no program may read another&apos;s memory until the system restarts.</source>
        <translation>系统的 Yama 设置 kernel.yama.ptrace_scope 为 %1: 在系统重启之前, 任何程序都不能读取其他程序的内存。</translation>
    </message>
    <message>
        <source>The system refuses to let the viewer read it: %1.</source>
        <translation>系统拒绝让查看器读取它: %1。</translation>
    </message>
    <message>
        <source>Another program traces it: %1 (process %2).</source>
        <translation>另一个程序正在跟踪它: %1 (进程 %2)。</translation>
    </message>
    <message>
        <source>The system refuses to let the viewer read it: %1</source>
        <translation>系统拒绝让查看器读取它: %1</translation>
    </message>
</context>
<context>
    <name>WindowStyle</name>
    <message>
        <source>Tarvex 1.8 map viewer</source>
        <translation>Tarvex1.8地图查看器</translation>
    </message>
    <message>
        <source>Tarvex 1.8 map viewer!</source>
        <translation>Tarvex1.8地图查看器！</translation>
    </message>
    <message>
        <source>A map viewer made by players for players.</source>
        <translation>由玩家为玩家制作的地图查看器。</translation>
    </message>
</context>
</TS>
