#include "route/RouteSteps.h"

void RouteSteps::ForEachCell(const std::function<void(Cell)>& visit) const
{
    Cell at = start_;
    visit(at);
    for (std::size_t index = 0; index < count_; ++index) {
        const int step = Step(index);
        at = Cell{at.x + kStepX[step], at.y + kStepY[step]};
        visit(at);
    }
}

Route RouteSteps::Cells() const
{
    Route cells;
    cells.reserve(count_ + 1);
    ForEachCell([&cells](Cell cell) { cells.push_back(cell); });
    return cells;
}

bool IsWalkable(const TMatrix& walk, Cell cell)
{
    return cell.x >= 0 && cell.y >= 0 && cell.x < walk.Columns() && cell.y < walk.Rows() &&
           walk[cell.x][cell.y] != kWalkBlocked;
}

StandableCells StandableCellsOf(const TMatrix& walk)
{
    StandableCells cells(walk.Columns(), walk.Rows());
    for (int x = 0; x < walk.Columns(); ++x) {
        const std::uint8_t* column = walk[x];
        for (int y = 0; y < walk.Rows(); ++y)
            if (column[y] != kWalkBlocked)
                cells.Allow(x, y);
    }
    return cells;
}
